// bench_swf: decoding the built-in movie (inflate included) against a plain zlib inflate of the
// same bytes. The movie is osd/resources/ovixosd.swf; while that file does not exist, a generated
// movie of similar content and size (tests/SwfSample.h) stands in, and the output says so.
#include <benchmark/benchmark.h>

#include "RatioReporter.h"
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "SwfSample.h"
#include "Tags.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct BenchMovie {
    std::string Source;  // what the bytes are
    Bytes File;          // as DecodeMovie gets them
    Bytes Zlib;          // the zlib stream the plain inflate gets: the file's own for CWS
    size_t Inflated = 0; // bytes after inflating (the 8-byte prefix not included)
};

Bytes Deflate(const Bytes& Data)
{
    uLongf Size = compressBound(static_cast<uLong>(Data.size()));
    Bytes Out(Size);
    if (compress2(Out.data(), &Size, Data.data(), static_cast<uLong>(Data.size()), 9) != Z_OK)
        std::abort();
    Out.resize(Size);
    return Out;
}

BenchMovie Load()
{
    BenchMovie M;
    std::ifstream In(TARNEL_MOVIE, std::ios::binary);
    if (In) {
        M.File.assign(std::istreambuf_iterator<char>(In), {});
        M.Source = TARNEL_MOVIE;
    } else {
        M.File = swf::EncodeMovie(swfsample::SampleMovie(true));
        M.Source = "generated sample movie (" TARNEL_MOVIE " does not exist)";
    }
    const swf::Movie Decoded = swf::DecodeMovie(M.File);
    if (M.File.size() >= 8 && M.File[0] == 'C') {
        M.Zlib.assign(M.File.begin() + 8, M.File.end());
    } else {
        // An uncompressed file: the baseline inflates a zlib stream of its data instead.
        M.Zlib = Deflate(Bytes(M.File.begin() + 8, M.File.end()));
        M.Source += ", FWS: inflate baseline on its deflated data";
    }
    uLongf Size = 64u << 20;
    Bytes Out(Size);
    if (uncompress(Out.data(), &Size, M.Zlib.data(), static_cast<uLong>(M.Zlib.size())) != Z_OK)
        std::abort();
    M.Inflated = Size;
    M.Source += ", " + std::to_string(M.File.size()) + " bytes, " + std::to_string(M.Inflated + 8) + " inflated, " +
                std::to_string(Decoded.Tags.size()) + " tags";
    return M;
}

const BenchMovie& Movie()
{
    static const BenchMovie M = Load();
    return M;
}

void BM_DecodeMovie(benchmark::State& State)
{
    const Bytes& File = Movie().File;
    for (auto _ : State) {
        swf::Movie M = swf::DecodeMovie(File);
        benchmark::DoNotOptimize(M.Tags.data());
    }
}

void BM_Inflate(benchmark::State& State)
{
    const BenchMovie& M = Movie();
    Bytes Out(M.Inflated);
    for (auto _ : State) {
        uLongf Size = static_cast<uLongf>(Out.size());
        if (uncompress(Out.data(), &Size, M.Zlib.data(), static_cast<uLong>(M.Zlib.size())) != Z_OK)
            State.SkipWithError("inflate failed");
        benchmark::DoNotOptimize(Out.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_DecodeMovie);
BENCHMARK(BM_Inflate);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::printf("movie: %s\n", Movie().Source.c_str());
    TRatioReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    const double Inflate = Reporter.Times["BM_Inflate"];
    if (Inflate > 0 && Reporter.Times.count("BM_DecodeMovie"))
        std::printf("%-20s %6.2f x the plain inflate of the same bytes\n", "BM_DecodeMovie",
                    Reporter.Times["BM_DecodeMovie"] / Inflate);
    return 0;
}
