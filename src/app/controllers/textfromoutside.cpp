#include "app/controllers/textfromoutside.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QTextDocument>

#include "app/controllers/documentopener.h"
#include "app/controllers/readingcontroller.h"
#include "app/controllers/windowpersistence.h"
#include "app/window/documentpages.h"
#include "app/window/logging.h"
#include "app/window/statusbar.h"
#include "app/window/texteditor.h"
#include "app/window/toolbarrow.h"

namespace vernalo {

namespace {

bool NothingToRead(const QString& text) {
    return text.trimmed().isEmpty();
}

}  // namespace

TextFromOutside::TextFromOutside(const WindowParts& parts, ReadingController& reading,
                                 WindowPersistence& persistence, std::function<void()> comeForward,
                                 QObject* parent)
    : QObject(parent),
      parts_(parts),
      reading_(reading),
      persistence_(persistence),
      comeForward_(std::move(comeForward)) {
    opener_ = new DocumentOpener(this);
    connect(opener_, &DocumentOpener::opened, this,
            [this](const QString&, QTextDocument* document) { take(document); });

    readCopied_ = new QAction(tr("Read what I &copy"), this);
    readCopied_->setCheckable(true);
    connect(readCopied_, &QAction::toggled, &persistence_, &WindowPersistence::setReadCopied);
    connect(&persistence_, &WindowPersistence::readCopiedChanged, readCopied_,
            &QAction::setChecked);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &TextFromOutside::clipboardChanged);
}

QString TextFromOutside::SelectionText() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection()) {
        QString text = clipboard->text(QClipboard::Selection);
        if (!NothingToRead(text)) return text;
    }
    return clipboard->text(QClipboard::Clipboard);
}

bool TextFromOutside::readText(const QString& text) {
    if (NothingToRead(text)) return false;
    qCInfo(lcApp) << "a text to read from another program," << text.size() << "characters";
    // The text read now is the new one, from its first word, whatever was being read.
    reading_.stopForReplacedText();
    opener_->openText(text, parts_.editor()->document()->defaultFont());
    return true;
}

bool TextFromOutside::readSelection() {
    return readText(SelectionText());
}

bool TextFromOutside::readClipboard() {
    return readText(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
}

void TextFromOutside::stop() {
    opener_->cancel();
    reading_.stopForReplacedText();
}

bool TextFromOutside::taking() const {
    return opener_->busy();
}

void TextFromOutside::take(QTextDocument* document) {
    // Say reads the browser page when it shows; the text read is the editor's.
    if (parts_.documents.current() != DocumentPage::Text)
        parts_.documents.setCurrentIndex(static_cast<int>(DocumentPage::Text));
    TextEditor* editor = parts_.editor();
    editor->replaceDocument(document);
    persistence_.markTextChanged();
    parts_.status.showLineCount(editor->lineCount());
    editor->select(0, 0);
    reading_.session().setPaused(false);  // a pause belonged to the text replaced
    comeForward_();
    QAction* say = parts_.toolBars.action(Command::Say);
    if (say->isEnabled()) {
        say->setChecked(true);
        reading_.sayToggled();
    }
    qCInfo(lcApp) << "reading a text from another program," << editor->lineCount() << "lines";
    emit textTaken();
}

void TextFromOutside::clipboardChanged() {
    if (!readCopied_->isChecked()) return;
    // Vernalo's own copies (from its editor) are the user's editing, not something to hear.
    if (QGuiApplication::clipboard()->ownsClipboard()) return;
    readClipboard();
}

}  // namespace vernalo
