// Running a host tool as a user does, and the files around it, for the tool tests.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct ToolRun {
    int Status;
    std::string Out, Err;
};

// One folder per test process, so that test runs of several trees at once keep apart.
inline std::string Dir() { return testing::TempDir() + "tarnel-tools-test-" + std::to_string(getpid()) + "/"; }

// Dir(), empty; each test starts with this.
inline void FreshDir() { std::system(("rm -rf '" + Dir() + "' && mkdir -p '" + Dir() + "'").c_str()); }

inline ToolRun Exec(const std::string& Command)
{
    const std::string ErrFile = Dir() + "stderr.txt";
    FILE* P = popen((Command + " 2>" + ErrFile).c_str(), "r");
    ToolRun R{};
    char Buf[4096];
    size_t N;
    while ((N = fread(Buf, 1, sizeof Buf, P)) > 0)
        R.Out.append(Buf, N);
    const int S = pclose(P);
    R.Status = WIFEXITED(S) ? WEXITSTATUS(S) : -1;
    std::ifstream E(ErrFile);
    R.Err.assign(std::istreambuf_iterator<char>(E), {});
    return R;
}

inline void WriteFile(const std::string& Name, const std::vector<uint8_t>& Bytes)
{
    std::ofstream(Name, std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()), Bytes.size());
}

inline std::vector<uint8_t> ReadFile(const std::string& Name)
{
    std::ifstream F(Name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(F), {});
}

inline bool Exists(const std::string& Name) { return std::ifstream(Name).good(); }
