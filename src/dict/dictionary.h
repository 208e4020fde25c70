#pragma once
// Pronunciation dictionaries: a map from a written form to the text a voice is given.
//
// Keys compare as exact strings (no case folding, no trimming). Entries live in one arena,
// each string stored as Windows-1251 bytes when the code page holds it and as UTF-8
// otherwise, so a million-entry dictionary costs little more memory than its file.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/language.h"

namespace vernalo {

class RuleSet;

class Dictionary {
public:
    // The value stored for key; empty when absent. Absent keys are not inserted: inserting
    // would grow memory with every distinct word read.
    std::u16string lookup(std::u16string_view key) const;
    // Inserts the entry or overwrites the value of a present key.
    void assign(std::u16string_view key, std::u16string_view value);
    // Assign from a string already in stored form (see StoredForm); used by the file parser.
    void assignStored(std::string_view key, std::string_view value);
    // False when the key is absent. The last entry takes the removed one's index.
    bool remove(std::u16string_view key);

    // Entries by index, 0..size()-1, in the order they were first stored (removals aside).
    std::u16string keyAt(std::size_t index) const;
    std::u16string valueAt(std::size_t index) const;
    // The stored forms (see storedForm) of an entry, for writers that keep them as they are.
    std::string_view storedKeyAt(std::size_t index) const { return keyOf(entries_[index]); }
    std::string_view storedValueAt(std::size_t index) const {
        const Entry& e = entries_[index];
        return {arena_.data() + e.offset + e.keyLength, e.valueLength};
    }

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    void clear();
    void swap(Dictionary& other) noexcept;
    // Room for this many more entries and arena bytes.
    void reserve(std::size_t entries, std::size_t arenaBytes);
    std::size_t memoryBytes() const;

    // The reading rules of this language (dict/reader*.rules), or none. Shared: a copy of the
    // store for a background export reads the same compiled patterns.
    const std::shared_ptr<const RuleSet>& rules() const { return rules_; }
    void setRules(std::shared_ptr<const RuleSet> rules) { rules_ = std::move(rules); }

    // The stored form of a string: tag byte 0 + Windows-1251 bytes, or tag 1 + UTF-8.
    static void storedForm(std::u16string_view text, std::string& out);

private:
    struct Entry {
        std::uint32_t offset;  // key bytes then value bytes in arena_
        std::uint32_t keyLength;
        std::uint32_t valueLength;
    };
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

    std::size_t findSlot(std::string_view key, std::uint64_t hash) const;
    void grow();
    std::string_view keyOf(const Entry& e) const { return {arena_.data() + e.offset, e.keyLength}; }

    std::vector<Entry> entries_;
    std::vector<std::uint32_t> slots_;  // open addressing, power-of-two size, indices into entries_
    std::string arena_;
    std::shared_ptr<const RuleSet> rules_;
};

// Both languages' dictionaries.
using DictionaryStore = PerLanguage<Dictionary>;

}  // namespace vernalo
