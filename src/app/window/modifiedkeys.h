#pragma once
// Qt's text fields type the letter of a key pressed with Alt or Meta held, and Alt+letter is
// a menu's mnemonic only in the language the menus are written in: in the Russian window
// Alt+F typed an "f" at the caret. With this filter a key pressed with Alt, Ctrl or Meta held
// reaches the window's text fields without its text, so it still works their shortcuts but
// types nothing. AltGr compositions arrive without those modifiers and still type.

#include <QObject>

namespace vernalo {

class ModifiedKeyFilter : public QObject {
    Q_OBJECT
public:
    // Filters the whole application's key presses for as long as it lives.
    explicit ModifiedKeyFilter(QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vernalo
