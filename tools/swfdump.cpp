// swfdump: prints an SWF movie's header, warnings and tags with their details and actions.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "SwfDump.h"

namespace {

const char Usage[] = "usage: swfdump MOVIE.swf\n";

int Fail(const std::string& Where, const std::string& What)
{
    std::fprintf(stderr, "swfdump: %s: %s\n", Where.c_str(), What.c_str());
    return 1;
}

// The whole file; false with errno set when it cannot be read.
bool Load(const char* Name, std::vector<uint8_t>& Bytes)
{
    FILE* F = std::fopen(Name, "rb");
    if (!F)
        return false;
    uint8_t Buf[65536];
    size_t N;
    while ((N = std::fread(Buf, 1, sizeof Buf, F)) > 0)
        Bytes.insert(Bytes.end(), Buf, Buf + N);
    const bool Ok = !std::ferror(F);
    const int Error = errno;
    std::fclose(F);
    errno = Error;
    return Ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help"))) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc != 2) {
        std::fputs(Usage, stderr);
        return 1;
    }
    const char* Name = argv[1];
    try {
        std::vector<uint8_t> Bytes;
        if (!Load(Name, Bytes))
            return Fail(Name, std::strerror(errno));
        const std::string Text = DumpMovie(swf::DecodeMovie(Bytes));
        std::fwrite(Text.data(), 1, Text.size(), stdout);
    } catch (const swf::SwfError& E) {
        return Fail(Name, E.Message());
    } catch (const std::bad_alloc&) {
        return Fail(Name, "out of memory");
    }
    return std::fflush(stdout) == 0 ? 0 : Fail("stdout", std::strerror(errno));
}
