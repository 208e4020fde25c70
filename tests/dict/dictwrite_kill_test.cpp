// A dictionary write killed part-way leaves the old file whole: a child process writes a big
// dictionary over and over, two versions in turn, and is killed at a random moment of a write.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "dict/dictfile.h"
#include "dict/dictwriter.h"

namespace vernalo {
namespace {

constexpr std::size_t kEntries = 200'000;

// Version 0 or 1 of the dictionary: every value says which.
Dictionary Version(int v) {
    Dictionary d;
    for (std::size_t i = 0; i < kEntries; ++i) {
        const std::string n = std::to_string(i);
        d.assign(std::u16string(u"слово") + std::u16string(n.begin(), n.end()),
                 v ? u"второе" : u"первое");
    }
    return d;
}

TEST(DictionaryWriteKilled, leavesTheOldFileWhole) {
    const std::string folder = testing::TempDir() + "/dictwrite_kill_" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/readerru.dic";
    const Dictionary versions[] = {Version(0), Version(1)};
    ASSERT_TRUE(SaveDictionaryFile(path, versions[0], TextEncoding::Cp1251));
    std::mt19937 random(28);
    for (int round = 0; round < 8; ++round) {
        int done[2];
        ASSERT_EQ(pipe(done), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(done[0]);
            for (int v = 1;; v = 1 - v) {
                SaveDictionaryFile(path, versions[v], TextEncoding::Cp1251);
                if (write(done[1], "w", 1) != 1) _exit(1);
            }
        }
        close(done[1]);
        // Past a write or two, then into the next one at a random moment: the wait ends at
        // the next write or after a few milliseconds, whichever comes first.
        char c;
        for (int writes = 1 + round % 2; writes > 0; --writes)
            ASSERT_EQ(read(done[0], &c, 1), 1);
        pollfd p{done[0], POLLIN, 0};
        poll(&p, 1, static_cast<int>(random() % 30));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(done[0]);
        EXPECT_TRUE(WIFSIGNALED(status));
        Dictionary back;
        ASSERT_TRUE(LoadDictionaryFile(path, back));
        ASSERT_EQ(back.size(), kEntries) << "round " << round;
        const std::u16string first = back.valueAt(0);
        EXPECT_TRUE(first == u"первое" || first == u"второе");
        for (std::size_t i = 0; i < kEntries; i += 997)
            ASSERT_EQ(back.valueAt(i), first) << "round " << round << ", entry " << i;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vernalo
