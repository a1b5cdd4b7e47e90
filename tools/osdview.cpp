// osdview: draws an OSD bitmap as a picture, over a checkerboard, black or a picture.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "Classes.h"
#include "OSDPicture.h"
#include "Png.h"

namespace {

const char Usage[] = "usage: osdview IN.osd OUT.png [--over checker|black|FILE.png]\n";

int Fail(const std::string& Where, const std::string& What)
{
    std::fprintf(stderr, "osdview: %s: %s\n", Where.c_str(), What.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help"))) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (argc != 3 && !(argc == 5 && !std::strcmp(argv[3], "--over"))) {
        std::fputs(Usage, stderr);
        return 1;
    }
    const std::string In = argv[1], Out = argv[2], Over = argc == 5 ? argv[4] : "checker";

    TOSDPicture OSD;
    try {
        TMemoryStream Data;
        Data.LoadFromFile(In);
        OSD = DecodeOSDBitmap(std::vector<uint8_t>(Data.Memory(), Data.Memory() + Data.Size()));
    } catch (const std::exception& E) {
        return Fail(In, E.what());
    }

    TPicture Background;
    TBackground Kind = TBackground::Checker;
    if (Over == "black") {
        Kind = TBackground::Black;
    } else if (Over != "checker") {
        Kind = TBackground::Picture;
        try {
            Background = ReadPng(Over);
        } catch (const std::exception& E) {
            return Fail("--over", E.what());
        }
    }

    try {
        WritePng(Out, Composite(OSD, Kind, &Background));
    } catch (const std::exception& E) {
        std::remove(Out.c_str());
        std::fprintf(stderr, "osdview: %s\n", E.what());  // libpng's message names the file
        return 1;
    }
    return 0;
}
