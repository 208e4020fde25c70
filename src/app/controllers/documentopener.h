#pragma once
// Reads documents for the editor in a worker thread: a book or a large file can take seconds,
// and the window must stay usable meanwhile. A new open cancels the one still running; its
// result, if it comes, is dropped. A document read page by page (recognised scans) comes as
// its pages are done.

#include <QFont>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QTextDocument;
class QThread;

namespace vernalo {

class DocumentOpener : public QObject {
    Q_OBJECT
public:
    explicit DocumentOpener(QObject* parent = nullptr);
    // Cancels what runs and waits a little for it; a reader that will not stop is left to
    // finish on its own.
    ~DocumentOpener() override;

    // Reads `path` into a new document with `defaultFont` as its default font.
    void open(const QString& path, const QFont& defaultFont);
    // A plain text from elsewhere, made into a document as a file would be: a text of many
    // megabytes takes longer to lay out than the window may stand still. `opened` gives an
    // empty path.
    void openText(const QString& text, const QFont& defaultFont);
    void cancel();
    bool busy() const { return current_ != nullptr; }

signals:
    // The document has no parent and lives in this object's thread; the receiver owns it.
    // Null when the document came as pages (pageRead), all of them now.
    void opened(const QString& path, QTextDocument* document);
    void failed(const QString& path, const QString& message);
    // Pages done of the pages a slow reader goes through (recognition), from 0 up.
    void progressed(const QString& path, int done, int pages);
    // The next page of a document read page by page, owned by the receiver; `first` for the
    // first page, which stands for the whole text until the rest comes.
    void pageRead(const QString& path, QTextDocument* page, bool first);

private:
    struct Job;
    void start(const std::shared_ptr<Job>& job);
    void finish(const std::shared_ptr<Job>& job);

    std::shared_ptr<Job> current_;
    std::vector<QThread*> threads_;
};

}  // namespace vernalo
