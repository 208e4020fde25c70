#pragma once
// The editor's font: the font dialog (font and colour together) and how stored colours show.

#include <QColor>
#include <QFont>
#include <QPalette>

#include "settings/colors.h"

class QWidget;

namespace vernalo {

// A stored colour as the screen shows it: desktop colours take the palette's matching colour.
QColor DisplayColor(ColorCode color, const QPalette& palette);
// The stored form of a colour picked on screen.
ColorCode StoredColor(const QColor& color);

// Font dialog with a colour list; false when cancelled. Opens with `font` and `color`.
bool ChooseFont(QWidget* parent, QFont& font, ColorCode& color);

}  // namespace vernalo
