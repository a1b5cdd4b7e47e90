// osdconvert: 8-bit BMP -> OSD bitmap or OSD palette, and RGB -> YUV, as the card sees them.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "UnitOSDFunctions.h"

namespace {

const char Usage[] =
    "usage: osdconvert bitmap IN.bmp OUT.osd    convert a whole 8-bit BMP into an OSD bitmap\n"
    "       osdconvert palette IN.bmp OUT.pal   convert its colour table into the 1024-byte OSD palette\n"
    "       osdconvert yuv R G B                print the Y U V of a colour (0..255 each)\n";

int Fail(const std::string& Where, const std::string& What)
{
    std::fprintf(stderr, "osdconvert: %s: %s\n", Where.c_str(), What.c_str());
    return 1;
}

bool ParseByte(const char* Text, uint8_t& Value)
{
    char* End = nullptr;
    const long V = std::strtol(Text, &End, 10);
    if (!*Text || *End || V < 0 || V > 255)
        return false;
    Value = static_cast<uint8_t>(V);
    return true;
}

// Writes Data to Name; a failed write leaves no file behind.
void Save(TMemoryStream& Data, const std::string& Name)
{
    try {
        Data.SaveToFile(Name);
    } catch (...) {
        std::remove(Name.c_str());
        throw;
    }
}

int Convert(bool WholeBitmap, const std::string& In, const std::string& Out)
{
    TMemoryStream Source, Target;
    try {
        Source.LoadFromFile(In);
    } catch (const Exception& E) {
        return Fail(In, E.Message());
    }
    try {
        if (WholeBitmap) {
            BmpToOSDBitmap(Source, Target);
        } else if (!BmpToOSDPalette(Source, Target)) {
            std::fprintf(stderr, "osdconvert: %s: not a 7- or 8-bit bitmap (or empty): no palette written\n",
                         In.c_str());
            return 2;
        }
    } catch (const Exception& E) {
        return Fail(In, E.Message());
    } catch (const std::bad_alloc&) {
        return Fail(In, "out of memory");
    }
    try {
        Save(Target, Out);
    } catch (const Exception& E) {
        return Fail(Out, E.Message());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs(Usage, stderr);
        return 1;
    }
    const std::string Command = argv[1];
    if (Command == "-h" || Command == "--help") {
        std::fputs(Usage, stdout);
        return 0;
    }
    if ((Command == "bitmap" || Command == "palette") && argc == 4)
        return Convert(Command == "bitmap", argv[2], argv[3]);
    if (Command == "yuv" && argc == 5) {
        uint8_t R, G, B;
        for (int i = 2; i < 5; ++i)
            if (!ParseByte(argv[i], i == 2 ? R : i == 3 ? G : B))
                return Fail("yuv", std::string("\"") + argv[i] + "\" is not a number from 0 to 255");
        std::printf("%d %d %d\n", RGBToY(R, G, B), RGBToU(R, G, B), RGBToV(R, G, B));
        return 0;
    }
    std::fprintf(stderr, "osdconvert: wrong arguments for \"%s\"\n%s", Command.c_str(), Usage);
    return 1;
}
