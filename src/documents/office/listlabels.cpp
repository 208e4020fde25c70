#include "documents/office/listlabels.h"

#include <algorithm>

namespace vernalo::office {

namespace {

// Far beyond any real list; a hostile start value cannot overflow the counters.
constexpr int kMaxNumber = 1'000'000'000;

QString Letters(int n, bool upper, bool repeat) {
    const char16_t a = upper ? u'A' : u'a';
    QString s;
    if (repeat) {
        // Word: 27 is "aa", 53 "aaa"; a hostile number gives no more than a line of them.
        const int times = std::min((n - 1) / 26 + 1, 80);
        return QString(times, QChar(a + (n - 1) % 26));
    }
    for (; n > 0; n = (n - 1) / 26)
        s.prepend(QChar(a + (n - 1) % 26));
    return s;
}

QString Roman(int n, bool upper) {
    static const struct {
        int value;
        const char* digits;
    } kDigits[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"},
                   {90, "xc"},  {50, "l"},   {40, "xl"}, {10, "x"},   {9, "ix"},
                   {5, "v"},    {4, "iv"},   {1, "i"}};
    QString s;
    for (const auto& d : kDigits) {
        for (; n >= d.value; n -= d.value)
            s += QLatin1StringView(d.digits);
    }
    return upper ? s.toUpper() : s;
}

}  // namespace

QString FormatNumber(int n, NumberFormat format, bool repeatLetters) {
    switch (format) {
        case NumberFormat::Bullet:
        case NumberFormat::None:
            return {};
        case NumberFormat::LowerLetter:
        case NumberFormat::UpperLetter:
            if (n < 1) break;
            return Letters(n, format == NumberFormat::UpperLetter, repeatLetters);
        case NumberFormat::LowerRoman:
        case NumberFormat::UpperRoman:
            if (n < 1 || n > 3999) break;
            return Roman(n, format == NumberFormat::UpperRoman);
        case NumberFormat::Decimal:
            break;
    }
    return QString::number(n);
}

int ListCounters::count(int level, int start) {
    level = std::clamp(level, 0, kLevels - 1);
    std::optional<int>& v = value_[static_cast<std::size_t>(level)];
    v = v ? std::min(*v + 1, kMaxNumber) : std::clamp(start, 0, kMaxNumber);
    return *v;
}

int ListCounters::value(int level, int start) const {
    level = std::clamp(level, 0, kLevels - 1);
    return value_[static_cast<std::size_t>(level)].value_or(std::clamp(start, 0, kMaxNumber));
}

void ListCounters::reset(int level) {
    if (level >= 0 && level < kLevels) value_[static_cast<std::size_t>(level)].reset();
}

}  // namespace vernalo::office
