#pragma once

#include <QLabel>

namespace vernalo {

// The pages' captions are bold.
inline QLabel* BoldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

}  // namespace vernalo
