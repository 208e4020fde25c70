#pragma once
// The two texts the kill -9 test's writer saves in turn, a few megabytes each, so that a
// kill lands inside a write.
#include <QString>

namespace vernalo::test {

inline QString AutosaveText(bool second) {
    const QString line = second ? QStringLiteral("Второй текст, second text. ")
                                : QStringLiteral("First text, первый текст. ");
    return line.repeated(80'000);
}

}  // namespace vernalo::test
