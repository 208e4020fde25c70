#pragma once
// The two languages the program reads. Whatever is kept per language (a voice, a speed, a
// repeat count, a dictionary, an on/off switch) is a PerLanguage value indexed by Language,
// so the Russian and the English side are written once.

#include <array>
#include <cstddef>

namespace vernalo {

enum class Language { Russian, English };

inline constexpr std::array<Language, 2> kLanguages{Language::Russian, Language::English};

constexpr Language OtherLanguage(Language language) {
    return language == Language::Russian ? Language::English : Language::Russian;
}

// "Russian" or "English": the word voice names carry and messages use.
constexpr const char* LanguageName(Language language) {
    return language == Language::Russian ? "Russian" : "English";
}

template <typename T>
struct PerLanguage {
    std::array<T, 2> values{};

    constexpr T& operator[](Language language) {
        return values[static_cast<std::size_t>(language)];
    }
    constexpr const T& operator[](Language language) const {
        return values[static_cast<std::size_t>(language)];
    }
    friend constexpr bool operator==(const PerLanguage&, const PerLanguage&) = default;
};

}  // namespace vernalo
