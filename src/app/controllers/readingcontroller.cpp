#include "app/controllers/readingcontroller.h"

#include <QAction>
#include <QProgressBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "app/pages/settingspages.h"
#include "app/pages/speechpage.h"
#include "app/window/oddtexts.h"
#include "app/window/readingview.h"
#include "app/window/statusbar.h"
#include "app/window/texteditor.h"
#include "app/window/toolbarrow.h"
#include "dict/dictionaryloader.h"
#include "dict/rules.h"

namespace vernalo {

ReadingController::ReadingController(const WindowParts& parts, QString dictionaryDir,
                                     QObject* parent)
    : QObject(parent), parts_(parts), dictionaryDir_(std::move(dictionaryDir)) {
    view_ = std::make_unique<ReadingView>(parts_.toolBars, parts_.settings, parts_.documents,
                                          parts_.status);
    view_->onReadingStarted = [this] { emit readingStarted(); };
    view_->onReadingStopped = [this](ReadingStop why) { emit readingStopped(why); };
    view_->onPieceShown = [this](long start, long length) {
        if (pieceStarts_.size() > 100'000) pieceStarts_.clear();
        pieceStarts_.insert(start);
        reportRuleProblems();
        emit pieceShown(start, length);
    };
    SpeechPage* speech = parts_.settings.speech();
    const PerLanguage<Speaker*> voices{
        {&speech->voice(Language::Russian), &speech->voice(Language::English)}};
    session_ = std::make_unique<ReadingSession>(*view_, voices, segmenter_);
    timer_ = new QTimer(this);
    timer_->setInterval(5);
    connect(timer_, &QTimer::timeout, this, [this] {
        session_->tick();
        if (!session_->running() && !session_->followingVoice()) timer_->stop();
    });

    // The sound went away while reading: reading on in silence would tell the user nothing.
    connect(speech, &SpeechPage::soundLost, this, [this] {
        if (session_->running() || waitingForDictionaries_) refuseWithoutSound();
    });
    // A service voice that cannot speak would otherwise let the reading skip on in silence.
    connect(speech, &SpeechPage::voiceFailed, this, &ReadingController::voiceFailed);
    connect(speech, &SpeechPage::voiceLoading, this, &ReadingController::voiceLoading);
    TextEditor* editor = parts_.editor();
    const auto textChanged = [this] { pieceStarts_.clear(); };
    connect(editor, &TextEditor::textEdited, this, textChanged);
    connect(editor, &TextEditor::documentReplaced, this, textChanged);
    connect(editor, &TextEditor::caretMayHaveMoved, this, [this] { view_->caretMoved(); });
}

ReadingController::~ReadingController() = default;

void ReadingController::reportRuleProblems() {
    // A rule that ran past its limit on the text read has been left out; say which.
    for (Language l : kLanguages)
        if (const auto& rules = dictionaries_[l].rules())
            for (const std::string& problem : rules->takeMatchProblems())
                parts_.messages.show(
                    tr("A reading rule was left out: %1").arg(QString::fromStdString(problem)));
}

void ReadingController::voiceFailed(const QString& text) {
    if (session_->running()) {
        stopForReplacedText();  // as releasing Say does
        parts_.status.setText(StatusPanel::Activity, tr("Reading paused: %1").arg(text));
    } else {
        parts_.status.setText(StatusPanel::Activity, text);
    }
}

void ReadingController::voiceLoading(const QString& speaker, bool loading) {
    const QString text = tr("Loading the voice %1…").arg(speaker);
    const QString shown = parts_.status.text(StatusPanel::Activity);
    if (loading) {
        // Both voices may load at once: what was there before the first is said again.
        if (shown != loadingShown_) beforeLoading_ = shown;
        loadingShown_ = text;
        parts_.status.setText(StatusPanel::Activity, text);
    } else if (shown == text) {  // nothing said since
        parts_.status.setText(StatusPanel::Activity, beforeLoading_);
    }
}

void ReadingController::sayToggled() {
    const bool down = parts_.toolBars.action(Command::Say)->isChecked();
    if (!down) {
        waitingForDictionaries_ = false;
    } else if (!session_->running()) {
        // A sound server started or a device plugged in since the last try is found here.
        parts_.settings.speech()->retrySound();
        if (refuseWithoutSound()) return;
        // Read with every entry or not at all: the reading begins once the loaders are done.
        if (loadersRunning_ > 0) {
            waitingForDictionaries_ = true;
            parts_.status.setText(StatusPanel::Activity, tr("Loading data ..."));
            return;
        }
    }
    session_->sayToggled(down);
    if (session_->running())
        timer_->start();
    else
        timer_->stop();
}

void ReadingController::stopForReplacedText() {
    if (!session_->running()) return;
    parts_.toolBars.action(Command::Say)->setChecked(false);
    session_->sayToggled(false);
    timer_->stop();
}

bool ReadingController::refuseWithoutSound() {
    const QString problem = parts_.settings.speech()->soundProblem();
    if (problem.isEmpty()) return false;
    parts_.toolBars.action(Command::Say)->setChecked(false);
    waitingForDictionaries_ = false;
    if (session_->running()) {
        session_->sayToggled(false);
        timer_->stop();
    }
    parts_.messages.show(tr("No sound output is available (%1), so the text cannot be read "
                            "aloud. Check that the sound server is running (pactl info shows "
                            "it) and has an output device, then press Say again.")
                             .arg(problem));
    return true;
}

void ReadingController::skipPiece(bool forward) {
    stepPiece(forward ? PieceStep::Next : PieceStep::Previous);
}

void ReadingController::stepPiece(PieceStep step) {
    QAction* say = parts_.toolBars.action(Command::Say);
    TextEditor* editor = parts_.editor();
    if (!say->isEnabled() || editor->document()->isEmpty()) return;
    // Paused, the selection stays on the piece that was being read.
    if (say->isChecked()) say->trigger();
    const QTextCursor c = editor->textCursor();
    const long start = c.selectionStart();
    long target = start;
    if (step == PieceStep::Next) {
        target = c.selectionEnd();
    } else if (step == PieceStep::Previous) {
        // The piece read before this one; at the first piece read, this one again.
        const auto it = pieceStarts_.lower_bound(start);
        target = it == pieceStarts_.begin() ? start : *std::prev(it);
    }
    editor->select(target, 0);
    session_->setPaused(true);  // resume exactly there, not a character before
    say->trigger();
}

void ReadingController::close() {
    closed_ = true;
    session_->close();
    timer_->stop();
    waitingForDictionaries_ = false;
}

void ReadingController::startDictionaryLoader(Language language, const std::string& baseDir) {
    parts_.status.setText(StatusPanel::Activity, tr("Loading data ..."));
    // " Ready " is shown here once every loader is done, not by each loader.
    auto* loader = vernalo::startDictionaryLoader(language, parts_.status.progress(), dictionaries_,
                                                  {}, QString::fromStdString(baseDir),
                                                  installedDictionaryDir(), this);
    ++loadersRunning_;
    ++loading_[language];
    requested_[language] = true;
    connect(loader, &DictionaryLoader::problem, this, [this, language](const QString& text) {
        failed_[language] = true;
        parts_.messages.show(text);
    });
    connect(loader, &DictionaryLoader::loaded, this, [this, language] {
        --loading_[language];
        dictionaryLoaded();
        emit dictionaryReady(language);
    });
}

QString ReadingController::installedDictionaryDir() const {
    return dictionaryDir_.isEmpty() ? InstalledDictionaryDir() : dictionaryDir_;
}

void ReadingController::dictionaryLoaded() {
    if (--loadersRunning_ > 0) return;
    parts_.status.setText(StatusPanel::Activity, tr(kReady));
    if (!waitingForDictionaries_) return;
    waitingForDictionaries_ = false;
    if (!closed_ && parts_.toolBars.action(Command::Say)->isChecked()) sayToggled();
}

}  // namespace vernalo
