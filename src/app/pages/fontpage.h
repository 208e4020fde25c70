#pragma once
// The Font page: the editor's font name, size and colour, the font dialog button and the
// DOS-to-Windows recoding of the text.

#include <QWidget>

#include "settings/colors.h"

class QLineEdit;

namespace vernalo {

class FontPage : public QWidget {
    Q_OBJECT
public:
    explicit FontPage(QWidget* parent = nullptr);

    void showFont(const QFont& font, ColorCode color);

signals:
    void chooseFontClicked();
    void dosToWindowsClicked();

private:
    QLineEdit* name_ = nullptr;
    QLineEdit* size_ = nullptr;
    QLineEdit* color_ = nullptr;
};

}  // namespace vernalo
