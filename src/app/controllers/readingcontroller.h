#pragma once
// The reading behind Say: the session and the timer that drives it, the dictionaries and the
// segmenter it reads with, the dictionary loaders it waits for, and the moves by one piece of
// the media keys. It reads the window through ReadingView and works its Say action.

#include <QObject>
#include <QString>
#include <memory>
#include <set>
#include <string>

#include "app/controllers/windowparts.h"
#include "dict/dictionary.h"
#include "reading/readingsession.h"
#include "reading/segmenter.h"

class QTimer;

namespace vernalo {

class ReadingView;

class ReadingController : public QObject {
    Q_OBJECT
public:
    // `dictionaryDir`: where the shipped dictionaries are; empty: beside the installed program.
    ReadingController(const WindowParts& parts, QString dictionaryDir, QObject* parent = nullptr);
    ~ReadingController() override;

    // Say went down or up (its action holds which). Down with no sound output, Say comes back
    // up with a message; with dictionaries still loading, the reading begins once they are in.
    void sayToggled();
    // The editor's text was replaced while Say is down: the reading stops, as releasing Say does.
    void stopForReplacedText();
    // Next and Previous of the media controls: the reading moves by one piece and goes on.
    void skipPiece(bool forward);
    // The same, with the piece read again as a third step (Reading > Read the piece again).
    enum class PieceStep { Previous, Again, Next };
    void stepPiece(PieceStep step);
    void startDictionaryLoader(Language language, const std::string& baseDir);
    // The window closes: the reading stops, and one waiting for dictionaries never starts.
    void close();

    // Where the next reading begins when nothing else says, and where the caret goes when the
    // window is activated (0-based).
    long readingPosition() const { return segmenter_.position; }
    void setReadingPosition(long position) { segmenter_.position = position; }

    // Say is down, waiting for dictionaries still loading before the reading starts.
    bool waitsForDictionaries() const { return waitingForDictionaries_; }
    DictionaryStore& dictionaries() { return dictionaries_; }
    // A loader was started for the language (its voice uses the dictionary, or it is edited).
    bool dictionaryRequested(Language language) const { return requested_[language]; }
    // Its file is still being read: its entries are not all in the store yet.
    bool dictionaryLoading(Language language) const { return loading_[language] > 0; }
    // Its file exists but could not be read: the store lacks what it holds.
    bool dictionaryFailed(Language language) const { return failed_[language]; }
    // Where the shipped dictionaries are.
    QString installedDictionaryDir() const;
    ReadingSession& session() { return *session_; }
    // The window as the reading session sees it.
    ReadingView& view() { return *view_; }

signals:
    void readingStarted();
    void readingStopped(vernalo::ReadingStop why);
    void pieceShown(long start, long length);
    // A loader of the language is done (its entries are in, or it reported a problem).
    void dictionaryReady(vernalo::Language language);

private:
    // Say was pressed with no sound output: it comes back up with a message. False when
    // there is sound.
    bool refuseWithoutSound();
    void dictionaryLoaded();
    void voiceFailed(const QString& text);
    void reportRuleProblems();
    // The status bar says a voice loads while it does.
    void voiceLoading(const QString& speaker, bool loading);

    WindowParts parts_;
    QString dictionaryDir_;
    bool closed_ = false;
    // What the status bar said before a voice began to load, said again once it has.
    QString beforeLoading_;
    QString loadingShown_;
    DictionaryStore dictionaries_;
    Segmenter segmenter_{dictionaries_};
    std::unique_ptr<ReadingView> view_;
    std::unique_ptr<ReadingSession> session_;
    QTimer* timer_ = nullptr;
    int loadersRunning_ = 0;  // dictionary loaders whose entries are not in yet
    PerLanguage<int> loading_{{0, 0}};
    PerLanguage<bool> requested_{{false, false}};
    PerLanguage<bool> failed_{{false, false}};
    bool waitingForDictionaries_ = false;
    std::set<long> pieceStarts_;  // where the pieces read since the text last changed begin
};

}  // namespace vernalo
