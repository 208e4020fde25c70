#pragma once
// Dictionary files: CR LF lines of key=value.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "dict/dictionary.h"
#include "text/fileio.h"
#include "text/textcodec.h"

namespace vernalo {

struct DictParseResult {
    std::size_t entriesStored = 0;  // lines that stored an entry, repeated keys included
    TextEncoding encoding = TextEncoding::Cp1251;
};

// Called now and then with the number of bytes parsed so far.
using DictProgress = std::function<void(std::size_t done, std::size_t total)>;

// Parses a dictionary file's bytes into `dict`. A line ends at CR LF only; the key is
// everything before the first '='; in the value every further '=' is dropped and the unit
// after it is taken literally (except a CR LF, which still ends the line); an entry is
// stored only when key and value are both non-empty; the last line for a key wins; bytes
// after the last CR LF store nothing. The bytes are split first and each key and value is
// then decoded with the file's encoding (a byte-order mark decides, else valid UTF-8 is
// UTF-8, else Windows-1251).
DictParseResult ParseDictionary(std::string_view bytes, Dictionary& dict,
                                const DictProgress& progress = {});

// Reads the whole file with one read. A missing or unreadable file gives false and leaves
// `dict` as it was; `error` (optional) receives the reason.
bool LoadDictionaryFile(const std::string& path, Dictionary& dict,
                        DictParseResult* result = nullptr, std::string* error = nullptr,
                        const DictProgress& progress = {});

}  // namespace vernalo
