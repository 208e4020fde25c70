#pragma once
// An empty folder of the test's own under the test temporary folder, emptied again if a run
// before left it full.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace vernalo::test {

inline std::string FreshFolder(const std::string& name) {
    const std::filesystem::path dir =
        std::filesystem::path(testing::TempDir()) / ("vernalo-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

}  // namespace vernalo::test
