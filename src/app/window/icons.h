#pragma once
// Icons: the desktop theme's first, the program's own as the fallback.

#include <QIcon>

namespace vernalo {

// `theme` is a freedesktop icon name (empty: ours alone); `file` names :/icons/FILE.svg.
inline QIcon ThemeIcon(const char* theme, const char* file) {
    const QIcon own(QStringLiteral(":/icons/") + QLatin1String(file) + QStringLiteral(".svg"));
    return *theme ? QIcon::fromTheme(QLatin1String(theme), own) : own;
}

}  // namespace vernalo
