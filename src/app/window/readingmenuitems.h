#pragma once
// The Reading menu's steps by one piece (Alt+Left, Alt+Right, Alt+Down) and its Stop after
// submenu, the sleep timer.

#include <QObject>

class QMenu;

namespace vernalo {

class ReadingController;
class SleepTimer;

class ReadingMenuItems : public QObject {
    Q_OBJECT
public:
    // Adds the items to `menu`; lives as long as the menu.
    ReadingMenuItems(QMenu* menu, ReadingController& reading, SleepTimer& sleepTimer);

protected:
    // Alt+Down and Alt+Up open and close a combo box's list; with the focus in one, they are
    // its keys, not the steps'.
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vernalo
