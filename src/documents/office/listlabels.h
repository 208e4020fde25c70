#pragma once
// The labels of list items as a document shows them ("1.", "b)", "iv.", "2.1."): the
// numbers are text of the item's line, so that they are read aloud with it.

#include <QString>
#include <QStringView>
#include <array>
#include <optional>

namespace vernalo::office {

enum class NumberFormat { Decimal, LowerLetter, UpperLetter, LowerRoman, UpperRoman, Bullet, None };

// Where the label of a bulleted item stands: the voices pass over U+2022.
inline constexpr char16_t kBullet = u'\u2022';

// `n` in the format. Letters past z go on as Word writes them ("aa", "bb") when `repeat`,
// else as spreadsheet columns do ("aa", "ab"); roman numerals past 3999 and numbers below
// 1 in either are decimal. Bullet and None give nothing.
QString FormatNumber(int n, NumberFormat format, bool repeatLetters);

// The counters of one list's levels (0 the outermost).
class ListCounters {
public:
    static constexpr int kLevels = 10;

    // Counts an item at `level`: `start` for the level's first item, else one more.
    int count(int level, int start);
    // The value at `level`: the last counted, else `start`.
    int value(int level, int start) const;
    // The next item at `level` starts again.
    void reset(int level);

private:
    std::array<std::optional<int>, kLevels> value_;
};

}  // namespace vernalo::office
