#include "dict/dictionary.h"

#include <cstring>
#include <stdexcept>

#include "text/codepage.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

std::uint64_t Hash(std::string_view s) {
    // FNV-1a, then a final mix so that the low bits used for the slot are well spread.
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    h ^= h >> 29;
    h *= 0xbf58476d1ce4e5b9ULL;
    h ^= h >> 32;
    return h;
}

std::u16string FromStored(std::string_view s) {
    if (s.empty()) return {};
    if (s[0] == 0) return DecodeCp1251(s.substr(1));
    return Utf8ToUtf16(s.substr(1));
}

}  // namespace

void Dictionary::storedForm(std::u16string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size() + 1);
    out.push_back('\0');
    for (char16_t u : text) {
        int b = UnicodeToCp1251(u);
        if (b < 0) {
            out.assign(1, '\1');
            out += Utf16ToUtf8(text);
            return;
        }
        out.push_back(static_cast<char>(b));
    }
}

std::size_t Dictionary::findSlot(std::string_view key, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        std::uint32_t idx = slots_[i];
        if (idx == kEmpty) return i;
        const Entry& e = entries_[idx];
        if (e.keyLength == key.size() &&
            std::memcmp(arena_.data() + e.offset, key.data(), key.size()) == 0)
            return i;
    }
}

std::u16string Dictionary::lookup(std::u16string_view key) const {
    if (entries_.empty()) return {};
    thread_local std::string stored;
    storedForm(key, stored);
    std::uint32_t idx = slots_[findSlot(stored, Hash(stored))];
    if (idx == kEmpty) return {};
    const Entry& e = entries_[idx];
    return FromStored({arena_.data() + e.offset + e.keyLength, e.valueLength});
}

void Dictionary::assign(std::u16string_view key, std::u16string_view value) {
    std::string k, v;
    storedForm(key, k);
    storedForm(value, v);
    assignStored(k, v);
}

void Dictionary::grow() {
    std::size_t size = slots_.empty() ? 16 : slots_.size() * 2;
    slots_.assign(size, kEmpty);
    const std::size_t mask = size - 1;
    for (std::uint32_t idx = 0; idx < entries_.size(); ++idx) {
        std::size_t i = Hash(keyOf(entries_[idx])) & mask;
        while (slots_[i] != kEmpty)
            i = (i + 1) & mask;
        slots_[i] = idx;
    }
}

void Dictionary::assignStored(std::string_view key, std::string_view value) {
    if (arena_.size() + key.size() + value.size() > 0xFFFFFFF0u)
        throw std::length_error("dictionary too large");
    // Keep the table at most half full: probes stay short.
    if ((entries_.size() + 1) * 2 > slots_.size()) grow();
    std::uint64_t h = Hash(key);
    std::size_t slot = findSlot(key, h);
    const auto offset = static_cast<std::uint32_t>(arena_.size());
    if (slots_[slot] != kEmpty) {
        Entry& e = entries_[slots_[slot]];
        // The old bytes stay in the arena; overwrites are rare (a repeated line in a file).
        arena_.append(key);
        arena_.append(value);
        e.offset = offset;
        e.valueLength = static_cast<std::uint32_t>(value.size());
        return;
    }
    arena_.append(key);
    arena_.append(value);
    slots_[slot] = static_cast<std::uint32_t>(entries_.size());
    entries_.push_back(
        {offset, static_cast<std::uint32_t>(key.size()), static_cast<std::uint32_t>(value.size())});
}

bool Dictionary::remove(std::u16string_view key) {
    if (entries_.empty()) return false;
    std::string stored;
    storedForm(key, stored);
    std::size_t hole = findSlot(stored, Hash(stored));
    const std::uint32_t idx = slots_[hole];
    if (idx == kEmpty) return false;
    // Linear probing: entries after the hole that could sit in it move back, so that every
    // key stays reachable from its home slot without tombstones.
    const std::size_t mask = slots_.size() - 1;
    slots_[hole] = kEmpty;
    for (std::size_t i = (hole + 1) & mask; slots_[i] != kEmpty; i = (i + 1) & mask) {
        const std::size_t home = Hash(keyOf(entries_[slots_[i]])) & mask;
        // Moves when its home is not in the cyclic range (hole, i].
        if (((i - home) & mask) >= ((i - hole) & mask)) {
            slots_[hole] = slots_[i];
            slots_[i] = kEmpty;
            hole = i;
        }
    }
    const auto last = static_cast<std::uint32_t>(entries_.size() - 1);
    if (idx != last) {
        // The last entry fills the index; its slot follows. The arena keeps the bytes.
        std::size_t s = Hash(keyOf(entries_[last])) & mask;
        while (slots_[s] != last)
            s = (s + 1) & mask;
        slots_[s] = idx;
        entries_[idx] = entries_[last];
    }
    entries_.pop_back();
    return true;
}

std::u16string Dictionary::keyAt(std::size_t index) const {
    return FromStored(storedKeyAt(index));
}

std::u16string Dictionary::valueAt(std::size_t index) const {
    return FromStored(storedValueAt(index));
}

void Dictionary::clear() {
    entries_.clear();
    slots_.clear();
    arena_.clear();
    rules_.reset();
}

void Dictionary::swap(Dictionary& other) noexcept {
    entries_.swap(other.entries_);
    slots_.swap(other.slots_);
    arena_.swap(other.arena_);
    rules_.swap(other.rules_);
}

void Dictionary::reserve(std::size_t entries, std::size_t arenaBytes) {
    entries += entries_.size();
    entries_.reserve(entries);
    arena_.reserve(arena_.size() + arenaBytes);
    std::size_t want = 16;
    while (want < entries * 2)
        want *= 2;
    if (want > slots_.size()) {
        slots_.resize(want / 2);  // Grow doubles it and rehashes what is there
        grow();
    }
}

std::size_t Dictionary::memoryBytes() const {
    return entries_.capacity() * sizeof(Entry) + slots_.capacity() * sizeof(std::uint32_t) +
           arena_.capacity();
}

}  // namespace vernalo
