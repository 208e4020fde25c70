#pragma once
// The document area: the Text page (the open file's name over the editor) and the Browser
// page, chosen by tabs below them.

#include <QTabWidget>

class QLineEdit;

namespace vernalo {

class BrowserPage;
class TextEditor;

enum class DocumentPage { Text, Browser };

class DocumentPages : public QTabWidget {
    Q_OBJECT
public:
    explicit DocumentPages(QWidget* parent = nullptr);

    DocumentPage current() const { return static_cast<DocumentPage>(currentIndex()); }
    // Shows a page without emitting pageChosen: the program, not the user, chose it.
    void showPage(DocumentPage page);

    TextEditor* editor() const { return editor_; }
    QLineEdit* fileName() const { return fileName_; }
    BrowserPage* browser() const { return browser_; }

signals:
    // The user switched to a page.
    void pageChosen(DocumentPage page);

private:
    TextEditor* editor_ = nullptr;
    QLineEdit* fileName_ = nullptr;
    BrowserPage* browser_ = nullptr;
    bool changingFromCode_ = false;
};

}  // namespace vernalo
