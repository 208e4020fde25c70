#pragma once
// What the fuzz targets share: a check that stops the run with the broken property named, so
// that libFuzzer keeps the input as a crash, and a way to print UTF-16 text in that message.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/textcodec.h"

namespace vernalo::fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* what,
                              const std::string& detail) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n%s\n", file, line, what, detail.c_str());
    std::abort();
}

inline std::string Show(std::u16string_view text) {
    return "\"" + Utf16ToUtf8(text) + "\"";
}

}  // namespace vernalo::fuzz

#define FUZZ_CHECK(cond, detail)                                                 \
    do {                                                                         \
        if (!(cond)) ::vernalo::fuzz::Fail(__FILE__, __LINE__, #cond, (detail)); \
    } while (0)
