#include "app/autosave.h"

#include <QTextDocument>
#include <QThread>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/logging.h"
#include "documents/documentio.h"
#include "documents/rtfwriter.h"
#include "text/fileio.h"

namespace vernalo {

Autosave::Autosave(std::function<const QTextDocument*()> document, std::string path, Timing timing,
                   QObject* parent)
    : QObject(parent), document_(std::move(document)), path_(std::move(path)), timing_(timing) {
    removeLeftovers();
    quiet_.setSingleShot(true);
    quiet_.setInterval(timing_.quiet);
    gap_.setSingleShot(true);
    connect(&quiet_, &QTimer::timeout, this, &Autosave::onQuiet);
    // Typing may have begun again meanwhile: then the quiet timer decides.
    connect(&gap_, &QTimer::timeout, this, [this] {
        if (!quiet_.isActive()) onQuiet();
    });
}

Autosave::~Autosave() {
    stop();
}

void Autosave::removeLeftovers() {
    // A write ended by a crash or a kill leaves its temporary file (the name and six letters
    // or digits) beside the real one, which is whole.
    const std::filesystem::path target(path_);
    const std::string prefix = target.filename().string() + ".";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                        [](unsigned char c) { return std::islower(c) || std::isdigit(c); }))
            std::filesystem::remove(entry.path(), ec);
    }
}

void Autosave::changed() {
    ++revision_;
    quiet_.start();
}

void Autosave::onQuiet() {
    if (stopped_ || upToDate() || worker_) return;  // a write under way looks again when it ends
    const auto since = std::chrono::steady_clock::now() - lastWrite_;
    if (since < timing_.gap) {
        gap_.start(std::chrono::duration_cast<std::chrono::milliseconds>(timing_.gap - since) +
                   std::chrono::milliseconds(1));
        return;
    }
    startWrite();
}

void Autosave::startWrite() {
    const QTextDocument* doc = document_();
    if (!doc) return;
    // The model is plain data, so the worker may read it while the user goes on typing.
    auto model = std::make_shared<RtfDocument>(DocumentToModel(*doc));
    const std::u16string font = doc->defaultFont().family().toStdU16String();
    writing_ = revision_;
    lastWrite_ = std::chrono::steady_clock::now();
    worker_ = QThread::create([this, model, font] {
        error_.clear();
        const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec))
            std::filesystem::create_directories(folder, ec);
        writeOk_ = WriteFileAtomically(path_, WriteRtf(*model, font), &error_);
    });
    worker_->setObjectName(QStringLiteral("autosave"));
    connect(worker_, &QThread::finished, this, &Autosave::writeDone);
    worker_->start(QThread::LowPriority);
}

void Autosave::writeDone() {
    if (!worker_) return;  // already handled by stop()
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    if (writeOk_) {
        if (writing_ > saved_) saved_ = writing_;
        failureShown_ = false;
    } else {
        qCWarning(lcApp) << "autosave failed:" << error_.c_str();
        if (!failureShown_) {
            failureShown_ = true;
            emit writeFailed(QString::fromStdString(error_));
        }
    }
    emit written(writeOk_);
    // Changes made while writing: their turn comes once the text is still again.
    if (!upToDate() && !quiet_.isActive()) onQuiet();
}

void Autosave::stop() {
    stopped_ = true;
    quiet_.stop();
    gap_.stop();
    if (!worker_) return;
    worker_->wait();
    writeDone();
}

}  // namespace vernalo
