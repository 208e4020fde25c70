#pragma once
// Reading a text that comes from another program: the selection or the clipboard taken by a
// desktop shortcut, a second start, the tray menu or the session bus, or each text copied while
// "Read what I copy" is on. The text replaces the editor's in one step that Ctrl+Z takes back,
// and the reading starts at its beginning with the current voices, mode and repeats. A new text
// while one is read stops that reading and reads the new one.

#include <QObject>
#include <QString>
#include <functional>

#include "app/controllers/windowparts.h"

class QAction;
class QTextDocument;

namespace vernalo {

class DocumentOpener;
class ReadingController;
class WindowPersistence;

class TextFromOutside : public QObject {
    Q_OBJECT
public:
    // `comeForward` shows the window unless it is hidden in the notification area.
    TextFromOutside(const WindowParts& parts, ReadingController& reading,
                    WindowPersistence& persistence, std::function<void()> comeForward,
                    QObject* parent = nullptr);

    // False, with the editor untouched, when there is nothing to read (no text, or only
    // spaces).
    bool readText(const QString& text);
    // The selection of whichever program holds it (the primary selection), else the clipboard.
    bool readSelection();
    bool readClipboard();
    // Stops the reading, as releasing Say does; an outside text still being taken in is
    // dropped.
    void stop();
    // A text still being made into a document (a big one is, in the background).
    bool taking() const;

    // "Read what I copy": shared by the Reading menu and the tray menu, saved in the settings.
    QAction* readCopiedAction() const { return readCopied_; }

    // What --read-selection takes: the primary selection where the platform has one and it
    // holds text, else the clipboard.
    static QString SelectionText();

signals:
    // The text is in the editor and the reading has been asked to start.
    void textTaken();

private:
    void take(QTextDocument* document);
    void clipboardChanged();

    WindowParts parts_;
    ReadingController& reading_;
    WindowPersistence& persistence_;
    std::function<void()> comeForward_;
    DocumentOpener* opener_ = nullptr;
    QAction* readCopied_ = nullptr;
};

}  // namespace vernalo
