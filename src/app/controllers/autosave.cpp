#include "app/controllers/autosave.h"

#include <QElapsedTimer>
#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextList>
#include <QThread>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/window/logging.h"
#include "documents/qt/documentio.h"
#include "documents/rtf/rtfwriter.h"
#include "text/fileio.h"

namespace vernalo {

namespace {

// A slice ends before a block that sits directly in the document, outside any table or list,
// so that no table or list is cut in two by the copy.
bool SliceMayEndBefore(const QTextBlock& block) {
    if (block.textList()) return false;
    return QTextCursor(block).currentFrame() == block.document()->rootFrame();
}

}  // namespace

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
    if (stopped_ || upToDate() || worker_ || copy_)
        return;  // a write under way looks again when it ends
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
    lastWrite_ = std::chrono::steady_clock::now();
    writing_ = revision_;
    if (doc->characterCount() <= kDirectLimit) {
        // The model is plain data, so the worker may read it while the user goes on typing.
        auto model = std::make_shared<RichDocument>(DocumentToModel(*doc));
        write([model] { return model; }, doc->defaultFont());
        return;
    }
    // Too long to turn into the model between two keys: copied a slice at a time instead,
    // and the copy, which nothing else touches, becomes the model on the worker.
    source_ = doc;
    copy_ = std::make_unique<QTextDocument>();
    copy_->setUndoRedoEnabled(false);
    copy_->setDefaultFont(doc->defaultFont());
    copied_ = 0;
    QTimer::singleShot(0, this, &Autosave::copySlice);
}

void Autosave::copySlice() {
    if (!copy_) return;
    // Changed meanwhile: the copy is of no use; the change brings a new write in its turn.
    if (stopped_ || source_ != document_() || writing_ != revision_) {
        copy_.reset();
        return;
    }
    const QTextDocument* doc = source_;
    QElapsedTimer clock;
    clock.start();
    QTextCursor out(copy_.get());
    QTextBlock block = doc->findBlock(copied_);
    while (block.isValid() && clock.elapsed() < kSliceMs) {
        QTextBlock end = block.next();
        for (int n = 1; end.isValid() && (n < kSliceBlocks || !SliceMayEndBefore(end)); ++n)
            end = end.next();
        QTextCursor in(block);
        const int stop = end.isValid() ? end.position() : doc->characterCount() - 1;
        in.setPosition(stop, QTextCursor::KeepAnchor);
        out.movePosition(QTextCursor::End);
        out.insertFragment(QTextDocumentFragment(in));
        copied_ = stop;
        block = end;
    }
    if (block.isValid()) {
        QTimer::singleShot(0, this, &Autosave::copySlice);
        return;
    }
    auto copy = std::shared_ptr<QTextDocument>(copy_.release());
    // The copy goes with the worker, which reads it and lets it go.
    write(
        [copy]() mutable {
            auto model = std::make_shared<RichDocument>(DocumentToModel(*copy));
            copy.reset();
            return model;
        },
        doc->defaultFont(), copy.get());
}

void Autosave::write(std::function<std::shared_ptr<RichDocument>()> model, const QFont& font,
                     QObject* movesAlong) {
    const std::u16string family = font.family().toStdU16String();
    worker_ = QThread::create([this, model = std::move(model), family] {
        error_.clear();
        const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec))
            std::filesystem::create_directories(folder, ec);
        writeOk_ = WriteFileAtomically(path_, WriteRtf(*model(), family), &error_);
    });
    worker_->setObjectName(QStringLiteral("autosave"));
    if (movesAlong) movesAlong->moveToThread(worker_);
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
    copy_.reset();
    quiet_.stop();
    gap_.stop();
    if (!worker_) return;
    worker_->wait();
    writeDone();
}

}  // namespace vernalo
