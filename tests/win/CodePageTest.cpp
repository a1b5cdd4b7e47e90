// The test world under Wine: a Chinese system whose ANSI code page is 936.
#include <gtest/gtest.h>

#include <windows.h>

TEST(WineWorld, AnsiCodePageIs936)
{
    EXPECT_EQ(GetACP(), 936u);
    // "中文" in code page 936 converts to the two wide characters.
    const char Gbk[] = "\xD6\xD0\xCE\xC4";
    wchar_t Wide[8] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, Gbk, -1, Wide, 8), 3);
    EXPECT_EQ(Wide[0], 0x4E2D);
    EXPECT_EQ(Wide[1], 0x6587);
}
