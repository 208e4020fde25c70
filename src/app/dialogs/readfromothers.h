#pragma once
// Help > Read from other programs: the command to bind to a key in the desktop's keyboard
// settings, ready to copy, and where each desktop takes it.

#include <QDialog>
#include <QString>

namespace vernalo {

class ReadFromOthersDialog : public QDialog {
    Q_OBJECT
public:
    // `baseDir`: the window's data folder.
    ReadFromOthersDialog(const QString& baseDir, QWidget* parent = nullptr);

    QString command() const { return command_; }

    // The command that reads the selection into the window of `baseDir`: the program by its
    // name when the path finds it (else by its full path), and for a folder other than
    // `defaultDir` a change into that folder first, since the folder is what picks the window.
    static QString ShortcutCommand(const QString& baseDir, const QString& defaultDir,
                                   const QString& program, bool programOnPath);

private:
    QString command_;
};

}  // namespace vernalo
