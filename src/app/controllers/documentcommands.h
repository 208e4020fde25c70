#pragma once
// The commands that put a document into the window or take it out: open (read in the
// background), clear, paste, save as, find, HTML to text, DOS to Windows, the font, and the
// browser page's page taken in as text. Each replacement of the whole text is one step that
// Ctrl+Z takes back.

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "app/controllers/windowparts.h"
#include "settings/colors.h"

class QImage;
class QTextDocument;

namespace vernalo {

class DocumentOpener;
class FindDialog;
class WindowPersistence;

class DocumentCommands : public QObject {
    Q_OBJECT
public:
    DocumentCommands(const WindowParts& parts, WindowPersistence& persistence,
                     QObject* parent = nullptr);

    // Opens a document as Open does: a web page onto the browser page at once; anything else
    // is read into the editor in the background (openFinished tells when), cancelling an
    // open still running. What cannot be read leaves the editor unchanged, with a message.
    void openDocument(const QString& path);
    bool opening() const;
    // A file still being read would replace the text after the close wrote it. The pages of
    // a scan shown so far go, and the text before them comes back.
    void cancelOpening();
    // Open: asks for the file.
    void openFile();
    void clearText();
    // Text is pasted; an image (a screenshot) without text has its text recognised, in the
    // background as a scanned file is.
    void pasteFromClipboard();
    void saveAs();
    void findInText();
    // Selects the next match of the find dialog's text; false when there is none.
    bool findNext();
    // Find next: the dialog first, when it was never shown.
    void findAgain();
    // The browser page's HTML when it shows, else the editor's, becomes formatted text.
    void htmlToText();
    // The editor's text, taken as HTML, becomes the formatted text it describes.
    void convertHtmlToRichText();
    // The page the browser shows, taken as HTML, becomes the editor's formatted text.
    void importBrowserPage();
    // The page the browser shows becomes the editor's text, as its source.
    void takeBrowserPageSource();
    void openInBrowserPage(const QString& path);
    void recodeDosToWindows();
    // The font dialog; the font chosen becomes the editor's.
    void chooseFont();

signals:
    // An open ended: ok is false when the file could not be read (a cancelled open says
    // nothing).
    void openFinished(const QString& path, bool ok);

private:
    void documentRead(const QString& path, QTextDocument* document);
    void documentRefused(const QString& path, const QString& message);
    void pagesProgressed(int done, int pages);
    void pageRead(const QString& path, QTextDocument* page, bool first);
    // The pages of a scan shown while it is still recognised give way to the text before.
    void dropUnfinishedPages();
    // A file's name for the window: the pasted image's file stays out of sight.
    bool isOwnFile(const QString& path) const;
    void pasteImage(const QImage& image);
    // The whole text becomes `html` turned into formatted text, as one undoable step.
    void replaceWithHtml(const std::u16string& html);
    void showLineCount();
    void connectBrowserPage();

    WindowParts parts_;
    WindowPersistence& persistence_;
    DocumentOpener* opener_ = nullptr;
    // The editor shows the first pages of a scan whose other pages are still being
    // recognised.
    bool unfinishedPages_ = false;
    // The document those pages are in: an undo may have put another in its place.
    QPointer<QTextDocument> pagesDocument_;
    // The activity panel says which page is being recognised.
    bool recognising_ = false;
    // A pasted image goes to the reader through this file.
    std::unique_ptr<QTemporaryDir> pasteDir_;
    QString pastePath_;
    QPointer<FindDialog> findDialog_;
    // What the activity panel said before a search found nothing, for when one finds again.
    QString activityBeforeNotFound_;
    QFont lastDialogFont_;
    ColorCode lastDialogColor_ = kWindowTextColor;
};

}  // namespace vernalo
