#include "app/controllers/documentcommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QToolButton>

#include "app/controllers/documentopener.h"
#include "app/controllers/windowpersistence.h"
#include "app/dialogs/editorfont.h"
#include "app/dialogs/finddialog.h"
#include "app/pages/fontpage.h"
#include "app/pages/settingspages.h"
#include "app/window/documentpages.h"
#include "app/window/logging.h"
#include "app/window/statusbar.h"
#include "app/window/texteditor.h"
#include "app/window/toolbarrow.h"
#include "browser/browserpage.h"
#include "documents/html/htmltortf.h"
#include "documents/model/openkind.h"
#include "documents/qt/documentio.h"
#include "text/dos2win.h"
#include "text/textfind.h"

namespace vernalo {

Q_LOGGING_CATEGORY(lcApp, "vernalo.app", QtWarningMsg)

namespace {

// The file dialogs' captions, translated; the patterns after them stay as they are.
[[maybe_unused]] const char* const kFilterCaptions[] = {
    QT_TRANSLATE_NOOP("vernalo::DocumentCommands", "All readable files"),
    QT_TRANSLATE_NOOP("vernalo::DocumentCommands", "Text files"),
    QT_TRANSLATE_NOOP("vernalo::DocumentCommands", "RTF files"),
    QT_TRANSLATE_NOOP("vernalo::DocumentCommands", "HTML files"),
    QT_TRANSLATE_NOOP("vernalo::DocumentCommands", "DOC files"),
    QT_TRANSLATE_NOOP("vernalo::DocumentCommands", "Images"),
    QT_TRANSLATE_NOOP("vernalo::DocumentCommands", "All files"),
};

QString TranslatedFilter(std::string_view filter) {
    QStringList items = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()))
                            .split(QStringLiteral(";;"));
    for (QString& item : items) {
        const qsizetype cut = item.indexOf(QStringLiteral(" ("));
        if (cut <= 0) continue;
        const QByteArray caption = item.left(cut).toUtf8();
        item = QCoreApplication::translate("vernalo::DocumentCommands", caption.constData()) +
               item.mid(cut);
    }
    return items.join(QStringLiteral(";;"));
}

}  // namespace

DocumentCommands::DocumentCommands(const WindowParts& parts, WindowPersistence& persistence,
                                   QObject* parent)
    : QObject(parent), parts_(parts), persistence_(persistence) {
    opener_ = new DocumentOpener(this);
    connect(opener_, &DocumentOpener::opened, this, &DocumentCommands::documentRead);
    connect(opener_, &DocumentOpener::failed, this, &DocumentCommands::documentRefused);
    connect(opener_, &DocumentOpener::progressed, this,
            [this](const QString&, int done, int pages) { pagesProgressed(done, pages); });
    connect(opener_, &DocumentOpener::pageRead, this, &DocumentCommands::pageRead);
    // Files dropped on the text open as Open opens them (the window takes the rest).
    connect(parts_.editor(), &TextEditor::filesDropped, this,
            [this](const QStringList& paths) { openDocument(paths.first()); });
    connectBrowserPage();
    FontPage* font = parts_.settings.font();
    connect(font, &FontPage::chooseFontClicked, this, &DocumentCommands::chooseFont);
    connect(font, &FontPage::dosToWindowsClicked, this, &DocumentCommands::recodeDosToWindows);
    lastDialogFont_ = QFont(QStringLiteral("MS Sans Serif"), 8);
}

void DocumentCommands::showLineCount() {
    parts_.status.showLineCount(parts_.editor()->lineCount());
}

void DocumentCommands::cancelOpening() {
    opener_->cancel();
    dropUnfinishedPages();
}

void DocumentCommands::chooseFont() {
    persistence_.markSettingsChanged();  // even when the dialog is cancelled
    QFont font = lastDialogFont_;
    ColorCode color = lastDialogColor_;
    if (!ChooseFont(parts_.window, font, color)) return;
    lastDialogFont_ = font;
    lastDialogColor_ = color;
    persistence_.applyEditorFont(font, color);
}

void DocumentCommands::clearText() {
    cancelOpening();
    parts_.editor()->replaceDocument([](QTextDocument&) { return true; });
    persistence_.markTextChanged();
    showLineCount();
}

void DocumentCommands::findAgain() {
    if (!findDialog_) return findInText();
    findNext();
}

bool DocumentCommands::opening() const {
    return opener_->busy();
}

void DocumentCommands::openDocument(const QString& path) {
    cancelOpening();
    if (OpenRoadFor(path.toStdU16String()) == OpenRoad::Browser) {
        persistence_.markTextChanged();
        openInBrowserPage(path);
        persistence_.rememberRecentFile(path);
        emit openFinished(path, true);
        return;
    }
    // A busy bar while the file is read; the window stays usable.
    parts_.status.progress()->setRange(0, 0);
    opener_->open(path, parts_.editor()->document()->defaultFont());
}

void DocumentCommands::documentRead(const QString& path, QTextDocument* document) {
    pagesProgressed(0, 0);
    // Null when the pages came one by one and the editor holds them all now.
    if (document) parts_.editor()->replaceDocument(document);
    unfinishedPages_ = false;
    persistence_.markTextChanged();
    if (!isOwnFile(path)) {
        parts_.documents.fileName()->setText(path);
        persistence_.rememberRecentFile(path);
    }
    showLineCount();
    qCInfo(lcApp) << "opened" << path;
    emit openFinished(path, true);
}

void DocumentCommands::documentRefused(const QString& path, const QString& message) {
    dropUnfinishedPages();
    qCWarning(lcApp) << "cannot open" << path << message;
    // Nothing was replaced: the text keeps its saved or unsaved state.
    parts_.messages.show(message);
    emit openFinished(path, false);
}

void DocumentCommands::pagesProgressed(int done, int pages) {
    QProgressBar* bar = parts_.status.progress();
    if (done < pages) {
        bar->setRange(0, pages);
        bar->setValue(done);
        parts_.status.setText(StatusPanel::Activity,
                              tr("Recognising page %1 of %2…").arg(done + 1).arg(pages));
        recognising_ = true;
        return;
    }
    bar->setRange(0, 100);
    bar->setValue(0);
    if (recognising_)
        parts_.status.setText(StatusPanel::Activity, QString::fromUtf8(kSpeakingNone));
    recognising_ = false;
}

void DocumentCommands::pageRead(const QString& path, QTextDocument* page, bool first) {
    if (isOwnFile(path)) {
        // A pasted image's text goes in at the caret, as pasted text does.
        parts_.editor()->textCursor().insertFragment(QTextDocumentFragment(page));
        delete page;
    } else if (first) {
        // One undo step for the whole scan, taken now: the pages after it join it.
        parts_.editor()->replaceDocument(page);
        unfinishedPages_ = true;
        pagesDocument_ = page;
        if (!isOwnFile(path)) parts_.documents.fileName()->setText(path);
    } else if (parts_.editor()->document() == pagesDocument_) {
        parts_.editor()->appendPage(*page);
        delete page;
    } else {
        // Undone while it was recognised: the user went back to the text before.
        delete page;
        unfinishedPages_ = false;
        opener_->cancel();
        pagesProgressed(0, 0);
    }
    showLineCount();
}

void DocumentCommands::dropUnfinishedPages() {
    pagesProgressed(0, 0);
    if (!unfinishedPages_) return;
    unfinishedPages_ = false;
    if (parts_.editor()->document() == pagesDocument_) parts_.editor()->dropReplacement();
    showLineCount();
}

bool DocumentCommands::isOwnFile(const QString& path) const {
    return !pastePath_.isEmpty() && path == pastePath_;
}

void DocumentCommands::openFile() {
    const QString path = QFileDialog::getOpenFileName(parts_.window, tr("Open"), QString(),
                                                      TranslatedFilter(kOpenDialogFilter));
    if (path.isEmpty()) return;
    openDocument(path);
}

void DocumentCommands::pasteFromClipboard() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (data && data->hasText()) {
        parts_.editor()->paste();
    } else if (data && data->hasImage()) {
        pasteImage(qvariant_cast<QImage>(data->imageData()));
        return;
    } else {
        parts_.messages.show(tr("Clipboard does not contain text."));
    }
    persistence_.markTextChanged();
    showLineCount();
}

void DocumentCommands::pasteImage(const QImage& image) {
    // The reader takes files: the image goes through one of our own, lossless.
    if (!pasteDir_) pasteDir_ = std::make_unique<QTemporaryDir>();
    pastePath_ = pasteDir_->filePath(QStringLiteral("pasted.png"));
    if (!pasteDir_->isValid() || !image.save(pastePath_, "PNG")) {
        parts_.messages.show(tr("Clipboard does not contain text."));
        return;
    }
    cancelOpening();
    parts_.status.progress()->setRange(0, 0);
    opener_->open(pastePath_, parts_.editor()->document()->defaultFont());
}

void DocumentCommands::saveAs() {
    QFileDialog dialog(parts_.window, tr("Save"));
    dialog.setObjectName(QStringLiteral("saveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(TranslatedFilter(kSaveDialogFilter));
    dialog.setDefaultSuffix(QString::fromUtf8(kSaveDefaultSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const DocumentResult r =
        SaveDocumentFile(*parts_.editor()->document(), dialog.selectedFiles().first());
    if (!r.ok) parts_.messages.show(r.error);
}

void DocumentCommands::findInText() {
    if (!findDialog_) {
        findDialog_ = new FindDialog(parts_.window);
        connect(findDialog_, &FindDialog::find, this, [this] { findNext(); });
    }
    // Beside the text, a little in from its top left corner, so a match stays visible.
    findDialog_->move(parts_.editor()->mapToGlobal(QPoint(300, 200)));
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
}

bool DocumentCommands::findNext() {
    if (!findDialog_) return false;
    const std::u16string what = findDialog_->findText().toStdU16String();
    const QTextCursor c = parts_.editor()->textCursor();
    auto at = FindInText(
        parts_.editor()->readingText(), what, static_cast<std::size_t>(c.selectionStart()),
        static_cast<std::size_t>(c.selectionEnd() - c.selectionStart()), findDialog_->options());
    const QString notFound = tr("Not found");
    if (!at) {
        // The selection stays; the status bar says why nothing moved.
        const QString activity = parts_.status.text(StatusPanel::Activity);
        if (activity != notFound) activityBeforeNotFound_ = activity;
        parts_.status.setText(StatusPanel::Activity, notFound);
        return false;
    }
    if (parts_.status.text(StatusPanel::Activity) == notFound)
        parts_.status.setText(StatusPanel::Activity, activityBeforeNotFound_);
    parts_.editor()->setFocus();
    parts_.editor()->select(static_cast<long>(*at), static_cast<long>(what.size()));
    return true;
}

void DocumentCommands::replaceWithHtml(const std::u16string& html) {
    QProgressBar* progress = parts_.status.progress();
    progress->setRange(0, 100);
    std::string rtf =
        HtmlToRtf(WithCrLf(html), [progress](int percent) { progress->setValue(percent); });
    parts_.editor()->replaceDocument([&](QTextDocument& doc) {
        LoadDocumentBytes(QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size())), doc);
        return true;
    });
    persistence_.markTextChanged();  // the editor's text is replaced, as by an edit
    progress->setValue(0);
    showLineCount();
}

void DocumentCommands::convertHtmlToRichText() {
    replaceWithHtml(parts_.editor()->readingText());
}

void DocumentCommands::importBrowserPage() {
    // No page to take (a blank page) gives an empty text; one step all the same, so Ctrl+Z
    // brings the text back.
    replaceWithHtml(parts_.browser()->pageText());
}

void DocumentCommands::htmlToText() {
    if (parts_.documents.current() == DocumentPage::Browser)
        importBrowserPage();
    else
        convertHtmlToRichText();
}

void DocumentCommands::recodeDosToWindows() {
    // A whole-content replacement by plain text: formatting goes, the caret goes to the start
    // and the text is not marked for saving.
    std::u16string recoded = parts_.editor()->readingText();
    DosToWinInPlace(recoded);
    parts_.editor()->replaceDocument([&](QTextDocument& doc) {
        doc.setPlainText(QString::fromStdU16String(recoded));
        return true;
    });
}

// ---- The browser page ----

void DocumentCommands::connectBrowserPage() {
    BrowserPage* page = parts_.browser();
    connect(page, &BrowserPage::goRequested, this, [this] {
        parts_.documents.showPage(DocumentPage::Browser);
        parts_.toolBars.action(Command::FontPage)->setEnabled(false);
    });
    connect(page, &BrowserPage::progressChange, this, [this](int progress, int maximum) {
        parts_.status.progress()->setMaximum(maximum);
        parts_.status.progress()->setValue(progress);
    });
    connect(page, &BrowserPage::navigationRefused, this,
            [this](const QString& text) { parts_.messages.show(text); });
    connect(page, &BrowserPage::loadFinished, this,
            [](bool ok) { qCInfo(lcApp) << "browser page loaded:" << (ok ? "ok" : "failed"); });
}

void DocumentCommands::takeBrowserPageSource() {
    // The page's source is text, never rich text, whatever its first bytes look like; no page
    // to take leaves the editor empty.
    const QString source = QString::fromStdU16String(parts_.browser()->pageText());
    parts_.editor()->replaceDocument([&](QTextDocument& doc) {
        doc.setPlainText(source);
        return true;
    });
    persistence_.markTextChanged();
}

void DocumentCommands::openInBrowserPage(const QString& path) {
    parts_.documents.fileName()->hide();
    parts_.documents.showPage(DocumentPage::Browser);
    parts_.browser()->setAddressText(path);  // the list itself stays as it is
    parts_.toolBars.action(Command::FontPage)->setEnabled(false);
    QString error;
    if (!parts_.browser()->navigate(path, &error) && !error.isEmpty()) parts_.messages.show(error);
}

}  // namespace vernalo
