#pragma once
// Writes the editor's text to the last-text file while the user works, so that a crash or a
// killed session loses little: once the text has been still for a moment (never in the middle
// of a burst of typing) and not more often than every 30 s. The file is written as at close:
// rich text, through a temporary file renamed over the old one, so a kill at any moment
// leaves the old file or the new one.
//
// A short document becomes the RTF model on the GUI thread at once; a long one is first copied
// a slice at a time between events (the model of 10 MB takes about 200 ms), and its copy
// becomes the model on a worker. The RTF and the file are always written on the worker, so
// typing never waits for the disk.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "documents/model/richdocument.h"

class QFont;
class QTextDocument;
class QThread;

namespace vernalo {

class Autosave : public QObject {
    Q_OBJECT
public:
    struct Timing {
        std::chrono::milliseconds quiet{2000};  // the text still this long: no burst under way
        std::chrono::milliseconds gap{30000};   // at least this long between two writes
    };

    // `document` is read on the GUI thread only, when a write begins; it may change (the
    // editor swaps documents), so it is asked each time.
    Autosave(std::function<const QTextDocument*()> document, std::string path, Timing timing,
             QObject* parent = nullptr);
    ~Autosave() override;

    // The text changed.
    void changed();
    // Every change so far is on disk.
    bool upToDate() const { return saved_ == revision_; }
    // The text was written by other means (the close) as it is now.
    void markSaved() { saved_ = revision_; }
    // No more writes; waits for the one under way (the window closes).
    void stop();

signals:
    // A write failed; said once until a write succeeds again.
    void writeFailed(const QString& message);
    // A write ended (tests, diagnostics).
    void written(bool ok);

private:
    // Up to this many characters the model is made at once (a few milliseconds).
    static constexpr int kDirectLimit = 300'000;
    // A slice of the copy: this many blocks, and slices until this much time has gone.
    static constexpr int kSliceBlocks = 200;
    static constexpr int kSliceMs = 10;

    void removeLeftovers();
    void copySlice();
    // On a worker: the model, then the RTF and the file. `movesAlong` is used by the worker alone.
    void write(std::function<std::shared_ptr<RichDocument>()> model, const QFont& font,
               QObject* movesAlong = nullptr);
    void onQuiet();
    void startWrite();
    void writeDone();

    std::function<const QTextDocument*()> document_;
    std::string path_;
    Timing timing_;
    QTimer quiet_, gap_;
    std::chrono::steady_clock::time_point lastWrite_{};
    quint64 revision_ = 0, saved_ = 0;

    // The long document being copied, and how far.
    QPointer<const QTextDocument> source_;
    std::unique_ptr<QTextDocument> copy_;
    int copied_ = 0;

    QThread* worker_ = nullptr;  // the write under way
    quint64 writing_ = 0;        // the revision it writes
    bool writeOk_ = false;
    std::string error_;
    bool failureShown_ = false;
    bool stopped_ = false;
};

}  // namespace vernalo
