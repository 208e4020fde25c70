#include "text/fileio.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vernalo {
namespace {

namespace fs = std::filesystem;

class FileIo : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "vernalo-fileio-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string contents(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir_;
};

// Settings and saved documents are often links into another folder (kept dotfiles): a save
// must change the file the link points to and leave the link in place.
TEST_F(FileIo, writingThroughALinkReplacesItsTargetAndKeepsTheLink) {
    struct Case {
        const char* name;
        bool relative;
        bool targetExists;
    } cases[] = {
        {"absolute link", false, true},
        {"relative link", true, true},
        {"link to a file not yet made", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir_ / "real");
        fs::create_directories(dir_ / "real");
        const fs::path target = dir_ / "real" / "text.rtf";
        const fs::path link = dir_ / "link.rtf";
        fs::remove(link);
        if (c.targetExists) std::ofstream(target) << "old";
        fs::create_symlink(c.relative ? fs::path("real/text.rtf") : target, link);

        std::string error;
        ASSERT_TRUE(WriteFileAtomically(link.string(), "new", &error)) << error;
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(contents(target), "new");
        EXPECT_EQ(contents(link), "new");
        // No temporary file is left beside the link or the target.
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "real"), fs::directory_iterator()),
                  1);
    }
}

TEST_F(FileIo, replacedFileKeepsItsPermissionsAndNewOneFollowsTheUmask) {
    const fs::path kept = dir_ / "kept.txt";
    std::ofstream(kept) << "old";
    ::chmod(kept.c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomically(kept.string(), "new"));
    struct stat st {};
    ASSERT_EQ(::stat(kept.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const mode_t old = ::umask(027);
    const fs::path fresh = dir_ / "fresh.txt";
    const bool ok = WriteFileAtomically(fresh.string(), "x");
    ::umask(old);
    ASSERT_TRUE(ok);
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace vernalo
