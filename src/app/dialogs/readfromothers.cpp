#include "app/dialogs/readfromothers.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "settings/settings.h"

namespace vernalo {

namespace {

// One word for /bin/sh and for the desktops' command lines, whatever it holds.
QString Quoted(const QString& word) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+-]+$"));
    if (plain.match(word).hasMatch()) return word;
    return QLatin1Char('\'') + QString(word).replace(u'\'', QStringLiteral("'\\''")) +
           QLatin1Char('\'');
}

}  // namespace

QString ReadFromOthersDialog::ShortcutCommand(const QString& baseDir, const QString& defaultDir,
                                              const QString& program, bool programOnPath) {
    const QString run = (programOnPath ? QFileInfo(program).fileName() : Quoted(program)) +
                        QStringLiteral(" --read-selection");
    if (QDir::cleanPath(baseDir) == QDir::cleanPath(defaultDir)) return run;
    return QStringLiteral("sh -c ") +
           Quoted(QStringLiteral("cd ") + Quoted(baseDir) + QStringLiteral(" && exec ") + run);
}

ReadFromOthersDialog::ReadFromOthersDialog(const QString& baseDir, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("readFromOthersDialog"));
    setWindowTitle(tr("Read from other programs"));
    const QString program = QCoreApplication::applicationFilePath();
    const QString found = QStandardPaths::findExecutable(QFileInfo(program).fileName());
    // "/dev/null/data" is never a folder: the folder a start outside any portable copy uses.
    const QString defaultDir = QString::fromStdString(
        ResolveBaseDir("/dev/null", std::getenv("XDG_DATA_HOME"), std::getenv("HOME")));
    command_ = ShortcutCommand(baseDir, defaultDir, program,
                               !found.isEmpty() && QFileInfo(found).canonicalFilePath() ==
                                                       QFileInfo(program).canonicalFilePath());

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        tr("To hear the text selected in any program with one key, bind this command to a key "
           "as a custom shortcut in your desktop's keyboard settings:"),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* line = new QLineEdit(command_, this);
    line->setReadOnly(true);
    line->setAccessibleName(tr("Command"));
    line->setCursorPosition(0);
    // The whole command in view, as far as the screen allows.
    line->setMinimumWidth(std::min(line->fontMetrics().horizontalAdvance(command_) + 24, 900));
    layout->addWidget(line);
    auto* copy = new QPushButton(tr("&Copy the command"), this);
    connect(copy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(command_); });
    layout->addWidget(copy, 0, Qt::AlignLeft);
    auto* where = new QLabel(
        tr("GNOME: Settings > Keyboard > View and Customize Shortcuts > Custom Shortcuts\n"
           "KDE Plasma: System Settings > Shortcuts > Add New > Command or Script\n"
           "Xfce: Keyboard > Application Shortcuts > Add\n"
           "Cinnamon: Keyboard > Shortcuts > Add custom shortcut\n\n"
           "With nothing selected the clipboard is read; --read-clipboard reads only the "
           "clipboard, and --read-text reads the text given (\"-\": standard input). Each data "
           "folder has its own window, so the command names this window's folder when it is not "
           "the usual one."),
        this);
    where->setWordWrap(true);
    layout->addWidget(where);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(560, sizeHint().height());
}

}  // namespace vernalo
