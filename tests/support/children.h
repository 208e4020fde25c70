#pragma once
// The processes this program started whose program is `name`, found as `ps --ppid` finds them.

#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vernalo::test {

inline std::vector<pid_t> ChildrenNamed(const std::string& name) {
    std::vector<pid_t> pids;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        std::ifstream f(entry.path() / "stat");
        std::string stat;
        if (!std::getline(f, stat)) continue;
        // The program's name is in parentheses and may hold spaces or parentheses itself.
        const auto open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        char state = 0;
        int ppid = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) != 2) continue;
        if (ppid == getpid() && stat.substr(open + 1, close - open - 1) == name)
            pids.push_back(std::atoi(entry.path().filename().c_str()));
    }
    return pids;
}

}  // namespace vernalo::test
