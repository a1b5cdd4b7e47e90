// Small helpers between byte vectors and streams for the tests.
#pragma once

#include <cstdint>
#include <vector>

#include "Classes.h"

inline void Fill(TMemoryStream& S, const std::vector<uint8_t>& Bytes)
{
    S.Clear();
    if (!Bytes.empty())
        S.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
    S.SetPosition(0);
}

inline std::vector<uint8_t> Contents(TMemoryStream& S)
{
    return std::vector<uint8_t>(S.Memory(), S.Memory() + S.Size());
}
