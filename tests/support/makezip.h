#pragma once
// Zip archives made in memory for the tests of the readers that take them (EPUB, zipped FB2,
// DOCX, ODT).

#include <gtest/gtest.h>
#include <zip.h>

#include <string>
#include <utility>
#include <vector>

namespace vernalo::test {

// A zip archive of the given members, deflated.
inline std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& members) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &err);
    zip_t* za = zip_open_from_source(out, ZIP_TRUNCATE, &err);
    EXPECT_NE(za, nullptr);
    zip_source_keep(out);
    for (const auto& [name, data] : members) {
        zip_source_t* s = zip_source_buffer(za, data.data(), data.size(), 0);
        EXPECT_GE(zip_file_add(za, name.c_str(), s, ZIP_FL_ENC_UTF_8), 0);
    }
    EXPECT_EQ(zip_close(za), 0);
    std::string bytes;
    EXPECT_EQ(zip_source_open(out), 0);
    char buf[65536];
    for (zip_int64_t n; (n = zip_source_read(out, buf, sizeof buf)) > 0;)
        bytes.append(buf, static_cast<std::size_t>(n));
    zip_source_close(out);
    zip_source_free(out);
    zip_error_fini(&err);
    return bytes;
}

}  // namespace vernalo::test
