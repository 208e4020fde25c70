#pragma once
// Runs vernalo-cli as a user would (VERNALO_CLI names the program) and reads what it prints.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace vernalo::test {

struct CliRun {
    int status = -1;
    std::string out;  // standard output and error together
    double seconds = 0;
};

inline CliRun Cli(const std::string& args, const std::string& stdinFile = "/dev/null") {
    const auto start = std::chrono::steady_clock::now();
    const std::string cmd = std::string(VERNALO_CLI) + " " + args + " <" + stdinFile + " 2>&1";
    CliRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        r.out.append(buf.data(), n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return r;
}

// A path in the temporary folder that no other test process uses: ctest runs test processes
// side by side, and two of them writing one file would spoil each other's results.
inline std::string TempPath(const std::string& name) {
    return testing::TempDir() + "vernalo-" + std::to_string(::getpid()) + "-" + name;
}

// A file in the test's temporary folder.
inline std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = TempPath(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

inline std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace vernalo::test
