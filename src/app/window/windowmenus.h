#pragma once
// The window's menu bar. Its items share the tool bar's actions where a button exists, so a
// command is one action whether clicked, chosen from a menu or given by its shortcut.

#include <QObject>

class QMenu;

namespace vernalo {

class DocumentCommands;
class MainWindow;
class OptionsPage;
class ReadingController;
class SleepTimer;
class TextFromOutside;
class ToolBarRow;
class WindowPersistence;

class WindowMenus : public QObject {
    Q_OBJECT
public:
    // Fills the window's menu bar; lives as long as the window.
    WindowMenus(MainWindow& window, ToolBarRow& toolBars, DocumentCommands& documents,
                WindowPersistence& persistence, OptionsPage& options, TextFromOutside& outside,
                ReadingController& reading, SleepTimer& sleepTimer);

private:
    void fillRecentMenu();
    void showShortcuts();
    void showAbout();

    MainWindow& window_;
    DocumentCommands& documents_;
    WindowPersistence& persistence_;
    QMenu* recentMenu_ = nullptr;
};

}  // namespace vernalo
