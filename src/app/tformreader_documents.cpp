// The window's document handlers: open, paste, save, find, HTML to text, DOS to Windows.

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

#include "app/finddialog.h"
#include "app/tformreader.h"
#include "documents/documentio.h"
#include "documents/dos2win.h"
#include "documents/htmltortf.h"
#include "documents/openkind.h"
#include "documents/textfind.h"

namespace vernalo {

void TFormReader::setEditorDocumentFromBytes(const QByteArray& bytes) {
    replaceEditorDocument([&](QTextDocument& doc) {
        LoadDocumentBytes(bytes, doc);
        return true;
    });
}

bool TFormReader::OpenDocument(const QString& path) {
    TextChanged = true;
    if (OpenRoadFor(path.toStdU16String()) == OpenRoad::Browser) {
        OpenInBrowserPage(path);
        return true;
    }
    DocumentResult r;
    replaceEditorDocument([&](QTextDocument& doc) {
        r = LoadDocumentFile(path, doc);
        return r.ok;
    });
    if (!r.ok) {
        showMessage(r.error);
        return false;
    }
    STextFileName->setText(path);
    refreshLineCount();
    return true;
}

void TFormReader::SBOpenClick() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open"), QString(),
                                                      QString::fromUtf8(kOpenDialogFilter));
    if (path.isEmpty()) return;
    OpenDocument(path);
}

void TFormReader::SBClipClick() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (data && data->hasText())
        MemoText->paste();
    else
        showMessage(QStringLiteral("Clipboard does not contain text."));
    TextChanged = true;
    refreshLineCount();
}

void TFormReader::SBSaveClick() {
    QFileDialog dialog(this, QStringLiteral("Save"));
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QString::fromUtf8(kSaveDialogFilter));
    dialog.setDefaultSuffix(QString::fromUtf8(kSaveDefaultSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    DocumentResult r = SaveDocumentFile(*MemoText->document(), dialog.selectedFiles().first());
    if (!r.ok) showMessage(r.error);
}

bool TFormReader::SaveEditorDocument(const std::string& path, std::string* error) {
    DocumentResult r = SaveDocumentFile(*MemoText->document(), QString::fromStdString(path));
    if (!r.ok && error) *error = r.error.toStdString();
    return r.ok;
}

void TFormReader::SpeedButton5Click() {
    if (!FindDialog1) {
        FindDialog1 = new TFindDialog(this);
        connect(FindDialog1, &TFindDialog::find, this, [this] { FindDialog1Find(); });
    }
    // Beside the text, a little in from its top left corner, so a match stays visible.
    const QPoint at = MemoText->mapToGlobal(QPoint(300, 200));
    FindDialog1->move(at);
    FindDialog1->show();
    FindDialog1->raise();
    FindDialog1->activateWindow();
}

bool TFormReader::FindDialog1Find() {
    if (!FindDialog1) return false;
    const std::u16string what = FindDialog1->findText().toStdU16String();
    const QTextCursor c = MemoText->textCursor();
    auto at = FindInText(EditorText(), what, static_cast<std::size_t>(c.selectionStart()),
                         static_cast<std::size_t>(c.selectionEnd() - c.selectionStart()),
                         FindDialog1->options());
    if (!at) return false;  // silent, the selection stays
    MemoText->setFocus();
    SetSelection(static_cast<long>(*at), static_cast<long>(what.size()));
    return true;
}

void TFormReader::HtmlToRtf() {
    ProgressBar1->setRange(0, 100);
    std::string rtf = vernalo::HtmlToRtf(WithCrLf(EditorText()),
                                         [this](int percent) { ProgressBar1->setValue(percent); });
    TextChanged = true;  // the editor's text is replaced, as by an edit
    replaceEditorDocument([&](QTextDocument& doc) {
        LoadDocumentBytes(QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size())), doc);
        return true;
    });
    ProgressBar1->setValue(0);
    refreshLineCount();
}

void TFormReader::SBHTML2TXTClick() {
    if (BrowserPageActive()) GetBrowserText();
    HtmlToRtf();
}

void TFormReader::Button2Click() {
    // A whole-content replacement by plain text: formatting goes, the caret goes to the start
    // and the text is not marked for saving.
    std::u16string text = EditorText();
    DosToWinInPlace(text);
    replaceEditorDocument([&](QTextDocument& doc) {
        doc.setPlainText(QString::fromStdU16String(text));
        return true;
    });
}

}  // namespace vernalo
