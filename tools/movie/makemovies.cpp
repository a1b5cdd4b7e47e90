// makemovies: writes the built-in subtitle movie and the test movie, or checks that the
// committed files are exactly what it writes.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Movies.h"

namespace {

const char Usage[] =
    "usage: makemovies --write BUILTIN.swf TEST.swf   write the built-in movie and the test movie\n"
    "       makemovies --check BUILTIN.swf TEST.swf   exit 1 unless both files hold exactly what --write writes\n";

bool ReadFile(const std::string& Name, std::vector<uint8_t>& Data, std::string& Error)
{
    std::ifstream In(Name, std::ios::binary);
    if (!In) {
        Error = std::strerror(errno);
        return false;
    }
    Data.assign(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
    return true;
}

// Writes through a temporary file, so that a failed write leaves the old file as it was.
bool WriteFile(const std::string& Name, const std::vector<uint8_t>& Data, std::string& Error)
{
    const std::string Temp = Name + ".tmp";
    {
        std::ofstream Out(Temp, std::ios::binary | std::ios::trunc);
        if (!Out || !Out.write(reinterpret_cast<const char*>(Data.data()), std::streamsize(Data.size())) || !Out.flush()) {
            Error = std::strerror(errno);
            std::remove(Temp.c_str());
            return false;
        }
    }
    if (std::rename(Temp.c_str(), Name.c_str()) != 0) {
        Error = std::strerror(errno);
        std::remove(Temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help"))) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc != 4 || (std::strcmp(argv[1], "--write") && std::strcmp(argv[1], "--check"))) {
        std::fputs(Usage, stderr);
        return 1;
    }
    const bool Check = !std::strcmp(argv[1], "--check");
    const struct {
        movies::Kind Kind;
        const char* File;
    } Jobs[] = {{movies::Kind::Builtin, argv[2]}, {movies::Kind::Test, argv[3]}};
    int Result = 0;
    for (const auto& Job : Jobs) {
        std::vector<uint8_t> Movie;
        try {
            Movie = movies::Write(Job.Kind);
        } catch (const std::exception& E) {
            std::fprintf(stderr, "makemovies: %s: cannot build the movie: %s\n", Job.File, E.what());
            return 1;
        }
        std::string Error;
        if (Check) {
            std::vector<uint8_t> Committed;
            if (!ReadFile(Job.File, Committed, Error)) {
                std::fprintf(stderr, "makemovies: %s: %s\n", Job.File, Error.c_str());
                Result = 1;
            } else if (Committed != Movie) {
                std::fprintf(stderr,
                             "makemovies: %s differs from what the tool writes (%zu bytes on disk, %zu written); "
                             "run `make movies` and commit the result\n",
                             Job.File, Committed.size(), Movie.size());
                Result = 1;
            }
        } else if (!WriteFile(Job.File, Movie, Error)) {
            std::fprintf(stderr, "makemovies: %s: %s\n", Job.File, Error.c_str());
            return 1;
        } else {
            std::printf("makemovies: wrote %s (%zu bytes)\n", Job.File, Movie.size());
        }
    }
    if (Check && Result == 0)
        std::printf("makemovies: %s and %s are up to date\n", argv[2], argv[3]);
    return Result;
}
