// The window's document commands: open, paste, save, find, HTML to text, DOS to Windows, and
// the browser page.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QTextDocument>
#include <QToolButton>

#include "app/controllers/documentopener.h"
#include "app/dialogs/finddialog.h"
#include "app/window/logging.h"
#include "app/window/mainwindow.h"
#include "app/window/texteditor.h"
#include "browser/browserpage.h"
#include "documents/documentio.h"
#include "documents/htmltortf.h"
#include "documents/openkind.h"
#include "text/dos2win.h"
#include "text/textfind.h"

namespace vernalo {

Q_LOGGING_CATEGORY(lcApp, "vernalo.app", QtWarningMsg)

namespace {

// The file dialogs' captions, translated; the patterns after them stay as they are.
[[maybe_unused]] const char* const kFilterCaptions[] = {
    QT_TRANSLATE_NOOP("vernalo::MainWindow", "All readable files"),
    QT_TRANSLATE_NOOP("vernalo::MainWindow", "Text files"),
    QT_TRANSLATE_NOOP("vernalo::MainWindow", "RTF files"),
    QT_TRANSLATE_NOOP("vernalo::MainWindow", "HTML files"),
    QT_TRANSLATE_NOOP("vernalo::MainWindow", "DOC files"),
    QT_TRANSLATE_NOOP("vernalo::MainWindow", "All files"),
};

QString TranslatedFilter(std::string_view filter) {
    QStringList items = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()))
                            .split(QStringLiteral(";;"));
    for (QString& item : items) {
        const qsizetype cut = item.indexOf(QStringLiteral(" ("));
        if (cut <= 0) continue;
        const QByteArray caption = item.left(cut).toUtf8();
        item =
            QCoreApplication::translate("vernalo::MainWindow", caption.constData()) + item.mid(cut);
    }
    return items.join(QStringLiteral(";;"));
}

}  // namespace

void MainWindow::setupDocumentOpening() {
    opener_ = new DocumentOpener(this);
    connect(opener_, &DocumentOpener::opened, this, &MainWindow::documentRead);
    connect(opener_, &DocumentOpener::failed, this, &MainWindow::documentRefused);
    // Files dropped on the text open as Open opens them; on the rest of the window too.
    setAcceptDrops(true);
    connect(editor(), &TextEditor::filesDropped, this,
            [this](const QStringList& paths) { openDocument(paths.first()); });
}

bool MainWindow::opening() const {
    return opener_->busy();
}

void MainWindow::openDocument(const QString& path) {
    if (OpenRoadFor(path.toStdU16String()) == OpenRoad::Browser) {
        opener_->cancel();
        markTextChanged();
        openInBrowserPage(path);
        rememberRecentFile(path);
        emit openFinished(path, true);
        return;
    }
    // A busy bar while the file is read; the window stays usable.
    statusBar_->progress()->setRange(0, 0);
    opener_->open(path, editor()->document()->defaultFont());
}

void MainWindow::documentRead(const QString& path, QTextDocument* document) {
    statusBar_->progress()->setRange(0, 100);
    statusBar_->progress()->setValue(0);
    editor()->replaceDocument(document);
    markTextChanged();
    documentPages_->fileName()->setText(path);
    showLineCount();
    rememberRecentFile(path);
    qCInfo(lcApp) << "opened" << path;
    emit openFinished(path, true);
}

void MainWindow::documentRefused(const QString& path, const QString& message) {
    statusBar_->progress()->setRange(0, 100);
    statusBar_->progress()->setValue(0);
    qCWarning(lcApp) << "cannot open" << path << message;
    // Nothing was replaced: the text keeps its saved or unsaved state.
    showMessage(message);
    emit openFinished(path, false);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalFiles(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    openDocument(paths.first());
}

void MainWindow::openFile() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Open"), QString(),
                                                      TranslatedFilter(kOpenDialogFilter));
    if (path.isEmpty()) return;
    openDocument(path);
}

void MainWindow::pasteFromClipboard() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (data && data->hasText())
        editor()->paste();
    else
        showMessage(tr("Clipboard does not contain text."));
    markTextChanged();
    showLineCount();
}

void MainWindow::saveAs() {
    QFileDialog dialog(this, tr("Save"));
    dialog.setObjectName(QStringLiteral("saveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(TranslatedFilter(kSaveDialogFilter));
    dialog.setDefaultSuffix(QString::fromUtf8(kSaveDefaultSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    DocumentResult r = SaveDocumentFile(*editor()->document(), dialog.selectedFiles().first());
    if (!r.ok) showMessage(r.error);
}

bool MainWindow::saveEditorDocument(const std::string& path, std::string* error) {
    DocumentResult r = SaveDocumentFile(*editor()->document(), QString::fromStdString(path));
    if (!r.ok && error) *error = r.error.toStdString();
    return r.ok;
}

void MainWindow::findInText() {
    if (!findDialog_) {
        findDialog_ = new FindDialog(this);
        connect(findDialog_, &FindDialog::find, this, [this] { findNext(); });
    }
    // Beside the text, a little in from its top left corner, so a match stays visible.
    findDialog_->move(editor()->mapToGlobal(QPoint(300, 200)));
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
}

bool MainWindow::findNext() {
    if (!findDialog_) return false;
    const std::u16string what = findDialog_->findText().toStdU16String();
    const QTextCursor c = editor()->textCursor();
    auto at = FindInText(
        editor()->readingText(), what, static_cast<std::size_t>(c.selectionStart()),
        static_cast<std::size_t>(c.selectionEnd() - c.selectionStart()), findDialog_->options());
    if (!at) return false;  // silent, the selection stays
    editor()->setFocus();
    editor()->select(static_cast<long>(*at), static_cast<long>(what.size()));
    return true;
}

void MainWindow::replaceWithHtml(const std::u16string& html) {
    QProgressBar* progress = statusBar_->progress();
    progress->setRange(0, 100);
    std::string rtf =
        HtmlToRtf(WithCrLf(html), [progress](int percent) { progress->setValue(percent); });
    editor()->replaceDocument([&](QTextDocument& doc) {
        LoadDocumentBytes(QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size())), doc);
        return true;
    });
    markTextChanged();  // the editor's text is replaced, as by an edit
    progress->setValue(0);
    showLineCount();
}

void MainWindow::convertHtmlToRichText() {
    replaceWithHtml(editor()->readingText());
}

void MainWindow::importBrowserPage() {
    // No page to take (a blank page) gives an empty text; one step all the same, so Ctrl+Z
    // brings the text back.
    replaceWithHtml(browserPage()->pageText());
}

void MainWindow::htmlToText() {
    if (documentPages_->current() == DocumentPage::Browser)
        importBrowserPage();
    else
        convertHtmlToRichText();
}

void MainWindow::recodeDosToWindows() {
    // A whole-content replacement by plain text: formatting goes, the caret goes to the start
    // and the text is not marked for saving.
    std::u16string recoded = editor()->readingText();
    DosToWinInPlace(recoded);
    editor()->replaceDocument([&](QTextDocument& doc) {
        doc.setPlainText(QString::fromStdU16String(recoded));
        return true;
    });
}

// ---- The browser page ----

void MainWindow::setupBrowserPage() {
    BrowserPage* page = browserPage();
    connect(page, &BrowserPage::goRequested, this, [this] {
        documentPages_->showPage(DocumentPage::Browser);
        toolBars_->action(Command::FontPage)->setEnabled(false);
    });
    connect(page, &BrowserPage::urlsChanged, this, [this] {
        urls_ = browserPage()->urls();
        // The list lives only in the settings file: a change left unwritten would be lost.
        settingsChanged_ = true;
    });
    connect(page, &BrowserPage::progressChange, this, [this](int progress, int maximum) {
        statusBar_->progress()->setMaximum(maximum);
        statusBar_->progress()->setValue(progress);
    });
    connect(page, &BrowserPage::navigationRefused, this, &MainWindow::showMessage);
    connect(page, &BrowserPage::loadFinished, this,
            [](bool ok) { qCInfo(lcApp) << "browser page loaded:" << (ok ? "ok" : "failed"); });
    connect(documentPages_, &DocumentPages::pageChosen, this, &MainWindow::onDocumentPageChosen);
}

void MainWindow::onDocumentPageChosen(DocumentPage page) {
    const bool browser = page == DocumentPage::Browser;
    editor()->setVisible(!browser);
    documentPages_->fileName()->setVisible(!browser);
    toolBars_->action(Command::FontPage)->setEnabled(!browser);
    // The Speech page shows, whichever was showing, and its button is the one down.
    if (browser) {
        showSettingsPage(SettingsPage::Speech);
        toolBars_->action(Command::SpeechPage)->setChecked(true);
    }
}

void MainWindow::takeBrowserPageSource() {
    // The page's source is text, never rich text, whatever its first bytes look like; no page
    // to take leaves the editor empty.
    const QString source = QString::fromStdU16String(browserPage()->pageText());
    editor()->replaceDocument([&](QTextDocument& doc) {
        doc.setPlainText(source);
        return true;
    });
    markTextChanged();
}

void MainWindow::openInBrowserPage(const QString& path) {
    documentPages_->fileName()->hide();
    documentPages_->showPage(DocumentPage::Browser);
    browserPage()->setAddressText(path);  // the list itself stays as it is
    toolBars_->action(Command::FontPage)->setEnabled(false);
    QString error;
    if (!browserPage()->navigate(path, &error) && !error.isEmpty()) showMessage(error);
}

}  // namespace vernalo
