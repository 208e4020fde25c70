#include "app/controllers/documentopener.h"

#include <QDeadlineTimer>
#include <QTextDocument>
#include <QThread>
#include <atomic>
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
};

DocumentOpener::DocumentOpener(QObject* parent) : QObject(parent) {}

DocumentOpener::~DocumentOpener() {
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
    current_ = job;
    QThread* home = thread();
    QThread* worker = QThread::create([job, home] {
        auto doc = std::make_unique<QTextDocument>();
        doc->setDefaultFont(job->font);
        if (job->text) {
            doc->setPlainText(*job->text);
            job->text.reset();
            job->result.ok = true;
        } else {
            ReadControl control;
            control.cancelled = [&job] { return job->cancelled.load(); };
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
    if (job->result.ok)
        emit opened(job->path, job->document.release());
    else
        emit failed(job->path, job->result.error);
}

}  // namespace vernalo
