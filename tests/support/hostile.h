#pragma once
// Hostile input shared by the document readers' tests: forged XML, noise, and the one check
// every reader's refusal must pass.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "documents/model/documentformat.h"
#include "support/readas.h"

namespace vernalo::test {

// The "billion laughs": entities that would expand to gigabytes if a reader expanded them.
inline const std::string kLaughs =
    R"(<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol"><!ENTITY lol2 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;"><!ENTITY lol3 "&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;"><!ENTITY lol4 "&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;"><!ENTITY lol5 "&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;"><!ENTITY lol6 "&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;"><!ENTITY lol7 "&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;"><!ENTITY lol8 "&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;"><!ENTITY lol9 "&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;">]>)";

// "text" inside `depth` pairs of `open` and `close`.
inline std::string Nested(const std::string& open, const std::string& close, int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i)
        s += open;
    s += "text";
    for (int i = 0; i < depth; ++i)
        s += close;
    return s;
}

// `size` random bytes, the same for the same seed.
inline std::string Noise(std::size_t size, std::uint32_t seed) {
    std::mt19937 gen(seed);
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(gen());
    return s;
}

struct Hostile {
    const char* name;
    DocumentKind kind;
    std::string bytes;
    const char* error;  // a part of the message; "" for a damaged file, which may still read
    bool mayRead = false;
};

// The reader refuses the file with one clear message and gives no document.
inline void ExpectRefused(const Hostile& h) {
    SCOPED_TRACE(std::string(h.name) + ", " + std::to_string(h.bytes.size()) + " bytes");
    const ReadResult r = ReadAs(h.bytes, h.kind);
    if (h.mayRead && r.ok) return;  // what the damage left whole reads
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_NE(r.error.find(h.error), std::string::npos) << r.error;
    EXPECT_TRUE(r.document.text().empty());
}

}  // namespace vernalo::test
