// bench_osd: the OSD conversions of a 640 x 480 frame against a plain copy of its 308232 bytes.
#include <benchmark/benchmark.h>

#include "RatioReporter.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "BmpFixture.h"
#include "StreamHelpers.h"
#include "UnitOSDFunctions.h"

namespace {

const std::vector<uint8_t>& FrameBmp()
{
    static const std::vector<uint8_t> Bmp = [] {
        BmpFixture F;
        F.Width = 640;
        F.Height = 480;
        F.Pixel = [](int x, int y) { return uint8_t((x * 3 + y * 7) & 0xFF); };
        return F.Build();
    }();
    return Bmp;
}

void BM_BmpToOSDBitmap(benchmark::State& State)
{
    TMemoryStream Src, Dst;
    Fill(Src, FrameBmp());
    for (auto _ : State) {
        BmpToOSDBitmap(Src, Dst);
        benchmark::DoNotOptimize(Dst.Memory());
    }
}

void BM_BmpToOSDPalette(benchmark::State& State)
{
    TMemoryStream Src, Dst;
    Fill(Src, FrameBmp());
    for (auto _ : State) {
        BmpToOSDPalette(Src, Dst);
        benchmark::DoNotOptimize(Dst.Memory());
    }
}

void BM_Copy308232(benchmark::State& State)
{
    std::vector<uint8_t> A(308232, 1), B(308232);
    for (auto _ : State) {
        std::memcpy(B.data(), A.data(), A.size());
        benchmark::DoNotOptimize(B.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_BmpToOSDBitmap);
BENCHMARK(BM_BmpToOSDPalette);
BENCHMARK(BM_Copy308232);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TRatioReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    const double Copy = Reporter.Times["BM_Copy308232"];
    if (Copy > 0) {
        for (const char* Name : {"BM_BmpToOSDBitmap", "BM_BmpToOSDPalette"})
            if (Reporter.Times.count(Name))
                std::printf("%-20s %6.2f x the copy of 308232 bytes\n", Name, Reporter.Times[Name] / Copy);
    }
    return 0;
}
