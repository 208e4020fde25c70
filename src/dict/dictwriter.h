#pragma once
// Writing a dictionary back to its file, in the form the parser reads (dictfile.h).

#include <string>
#include <string_view>

#include "dict/dictionary.h"
#include "text/textcodec.h"

namespace vernalo {

// Why an entry cannot be written so that the file gives it back, or empty when it can: the key
// may hold no '=' and neither may hold a line break; both must be non-empty.
enum class DictEntryProblem { None, EmptyKey, EmptyValue, EqualsInKey, LineBreak };
DictEntryProblem CheckDictEntry(std::u16string_view key, std::u16string_view value);

// The file's bytes: CR LF lines of key=value, every '=' of a value doubled (the parser takes
// the unit after an '=' literally). Written in `wanted` when every entry fits it, else as
// UTF-8 with a byte-order mark; `used` receives the encoding written. Entries that
// CheckDictEntry refuses are left out.
std::string DictionaryFileBytes(const Dictionary& dict, TextEncoding wanted,
                                TextEncoding* used = nullptr);

// Writes the bytes atomically (text/fileio.h): a write that fails or is killed leaves the old
// file whole.
bool SaveDictionaryFile(const std::string& path, const Dictionary& dict, TextEncoding wanted,
                        std::string* error = nullptr, TextEncoding* used = nullptr);

}  // namespace vernalo
