#include "app/controllers/documentopener.h"

#include <QDeadlineTimer>
#include <QTextDocument>
#include <QThread>
#include <atomic>
#include <mutex>
#include <optional>

#include "documents/qt/documentio.h"

namespace vernalo {

struct DocumentOpener::Job {
    QString path;
    QFont font;
    std::optional<QString> text;  // set: this text, not a file
    std::atomic<bool> cancelled{false};
    // Written by the worker before its thread finishes, read after.
    std::unique_ptr<QTextDocument> document;
    DocumentResult result;
    bool pages = false;
    // The opener while it takes news from the worker; null once it is gone.
    std::mutex newsLock;
    DocumentOpener* news = nullptr;
};

DocumentOpener::DocumentOpener(QObject* parent) : QObject(parent) {}

DocumentOpener::~DocumentOpener() {
    if (current_) {
        std::lock_guard lock(current_->newsLock);
        current_->news = nullptr;
    }
    cancel();
    const QDeadlineTimer deadline(3000);
    for (QThread* t : threads_) {
        disconnect(t, nullptr, this, nullptr);
        if (t->wait(deadline)) {
            delete t;
        } else {
            // Deleting a running thread aborts the program; it ends with the process.
            QObject::connect(t, &QThread::finished, t, &QObject::deleteLater);
        }
    }
}

void DocumentOpener::cancel() {
    if (current_) current_->cancelled = true;
    current_.reset();
}

void DocumentOpener::open(const QString& path, const QFont& defaultFont) {
    cancel();
    auto job = std::make_shared<Job>();
    job->path = path;
    job->font = defaultFont;
    start(job);
}

void DocumentOpener::openText(const QString& text, const QFont& defaultFont) {
    cancel();
    auto job = std::make_shared<Job>();
    job->font = defaultFont;
    job->text = text;
    start(job);
}

void DocumentOpener::start(const std::shared_ptr<Job>& job) {
    job->news = this;
    current_ = job;
    QThread* home = thread();
    QThread* worker = QThread::create([job, home] {
        // News from the worker, for the opener's thread, while the job is wanted.
        const auto tell = [&job](auto&& what) {
            std::lock_guard lock(job->newsLock);
            if (!job->news || job->cancelled) return;
            QMetaObject::invokeMethod(job->news, std::move(what), Qt::QueuedConnection);
        };
        auto doc = std::make_unique<QTextDocument>();
        doc->setDefaultFont(job->font);
        if (job->text) {
            doc->setPlainText(*job->text);
            job->text.reset();
            job->result.ok = true;
        } else {
            ReadControl control;
            control.cancelled = [&job] { return job->cancelled.load(); };
            control.progress = [&](int done, int pages) {
                tell([job, done, pages] {
                    if (job->news && job == job->news->current_)
                        emit job->news->progressed(job->path, done, pages);
                });
            };
            control.pageRead = [&](RichDocument page) {
                auto part = std::make_shared<std::unique_ptr<QTextDocument>>(new QTextDocument);
                (*part)->setDefaultFont(job->font);
                ModelToDocument(page, **part);
                (*part)->moveToThread(home);
                const bool first = !job->pages;
                job->pages = true;
                // A page nobody takes any more goes with the last copy of `part`.
                tell([job, part, first] {
                    if (job->news && job == job->news->current_)
                        emit job->news->pageRead(job->path, part->release(), first);
                });
            };
            job->result = LoadDocumentFile(job->path, *doc, control);
        }
        doc->moveToThread(home);
        job->document = std::move(doc);
    });
    threads_.push_back(worker);
    connect(worker, &QThread::finished, this, [this, worker, job] {
        std::erase(threads_, worker);
        worker->deleteLater();
        finish(job);
    });
    worker->start();
}

void DocumentOpener::finish(const std::shared_ptr<Job>& job) {
    if (job != current_ || job->cancelled) return;  // a later open took its place
    current_.reset();
    if (!job->result.ok)
        emit failed(job->path, job->result.error);
    else if (job->pages)
        emit opened(job->path, nullptr);
    else
        emit opened(job->path, job->document.release());
}

}  // namespace vernalo
