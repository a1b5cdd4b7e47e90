// Writes seed inputs for fuzz_swf into the directory given: the sample movie as FWS and CWS files
// (SWF 8 and 5), its tag stream behind the FWS and CWS framing bytes, each of its tags and each of
// its action blocks, in the input forms that fuzz_swf reads.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "../SwfSample.h"

using namespace swf;

namespace {

using Bytes = std::vector<uint8_t>;

std::string Dir;
int Count = 0;

void Write(const std::string& Name, const Bytes& B)
{
    std::ofstream Out(Dir + "/" + Name, std::ios::binary);
    Out.write(reinterpret_cast<const char*>(B.data()), static_cast<std::streamsize>(B.size()));
    if (!Out) {
        std::fprintf(stderr, "swf_seeds: cannot write %s/%s\n", Dir.c_str(), Name.c_str());
        std::exit(1);
    }
    ++Count;
}

Bytes Prefixed(uint8_t Selector, const Bytes& B)
{
    Bytes Out{Selector};
    Out.insert(Out.end(), B.begin(), B.end());
    return Out;
}

void Actions(const std::string& Name, const ActionBlock& A)
{
    Writer W;
    EncodeActions(W, A);
    Write(Name, Prefixed(3, W.Take()));
}

void TagSeeds(const std::vector<TypedTag>& Tags, uint8_t Version, const std::string& Prefix)
{
    for (size_t I = 0; I < Tags.size(); ++I) {
        const Tag T = EncodeTag(Tags[I], Version);
        Bytes In{uint8_t(T.Code), uint8_t(T.Code >> 8)};
        In.insert(In.end(), T.Body.begin(), T.Body.end());
        const std::string Name = Prefix + std::to_string(I) + "-" + TagName(T.Code);
        Write(Name, Prefixed(Version < 6 ? 0x42 : 2, In));
        if (const auto* D = std::get_if<DoAction>(&Tags[I].Value))
            Actions(Name + "-actions", D->Actions);
        if (const auto* S = std::get_if<DefineSprite>(&Tags[I].Value))
            TagSeeds(S->Tags, Version, Name + "-");
        if (const auto* P = std::get_if<PlaceObject2>(&Tags[I].Value); P && P->Actions)
            for (const ClipActionRecord& R : P->Actions->Records)
                Actions(Name + "-clip", R.Actions);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: swf_seeds DIR\n");
        return 2;
    }
    Dir = argv[1];
    for (const uint8_t Version : {uint8_t(8), uint8_t(5)}) {
        const std::string V = "v" + std::to_string(Version) + "-";
        const Movie M = swfsample::SampleMovie(false, Version);
        const Bytes Fws = EncodeMovie(M);
        Write(V + "movie.fws.swf", Fws);
        Write(V + "movie.cws.swf", EncodeMovie(swfsample::SampleMovie(true, Version)));
        // The tag stream: the file after its header (signature to frame count).
        const size_t HeaderSize = Encode(SwfMovie{M.Header, {}, {}}).size();
        const Bytes Stream(Fws.begin() + static_cast<std::ptrdiff_t>(HeaderSize), Fws.end());
        const uint8_t Low = Version < 6 ? 0x40 : 0;
        Write(V + "stream-fws", Prefixed(Low | 0, Stream));
        Write(V + "stream-cws", Prefixed(Low | 1, Stream));
        TagSeeds(M.Tags, Version, V + "tag");
    }
    std::printf("swf_seeds: %d seeds in %s\n", Count, Dir.c_str());
    return 0;
}
