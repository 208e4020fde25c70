#pragma once
// The pronunciation editor's work: the entry of a word in its language's dictionary, changed in
// the store the reading uses (in effect from the next piece) and written to the data folder's
// dictionary file on a thread of its own; and the rules files beside the dictionaries.
//
// The store is only touched on the GUI thread. A write takes a copy of the language's map and
// encodes and writes it in the background; edits made meanwhile are written by one more write
// when it is done, so the file always ends as the store is.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/controllers/windowparts.h"
#include "dict/dictionary.h"
#include "dict/rulesfile.h"

namespace vernalo {

class ReadingController;

class PronunciationController : public QObject {
    Q_OBJECT
public:
    // `baseDir` gives the data folder, which is known once the window has started up.
    PronunciationController(const WindowParts& parts, ReadingController& reading,
                            std::function<std::string()> baseDir, QObject* parent = nullptr);
    // Waits for a write under way: it is never cut short (a cut would leave the old file).
    ~PronunciationController() override;

    struct Word {
        QString key;  // the dictionary key: the text without blanks and stops around it
        Language language = Language::Russian;
    };
    // The word a text holds and its language by its letters, as the reading decides; none
    // for a text of blanks and stops only.
    static std::optional<Word> WordIn(const QString& text);
    // The selected text, or else the word at the caret.
    std::optional<Word> wordAtCaret() const;

    // Makes the language's entries editable: loads its dictionary when no voice has asked for
    // it. Why it cannot be edited now, or empty.
    QString prepare(Language language);
    QString notEditable(Language language) const;

    const Dictionary& dictionary(Language language) const;
    QString entry(Language language, const QString& key) const;
    // Empty on success, else why nothing changed.
    QString setEntry(Language language, const QString& key, const QString& value);
    QString removeEntry(Language language, const QString& key);
    // Says the text with the current voice of the language.
    void speak(Language language, const QString& text);

    // The data folder's dictionary file, which saving writes.
    QString dictionaryPath(Language language) const;
    bool writing() const;

    // The rules file read: the data folder's, else the installed one; a missing file is an
    // empty list. False with `error` set when it cannot be read.
    bool loadRules(Language language, RulesFile& rules, QString* error) const;
    // Written to the data folder atomically. False with `error` set.
    bool saveRules(Language language, const RulesFile& rules, QString* error);
    QString rulesPath(Language language) const;

signals:
    void entriesChanged(vernalo::Language language);
    // The language can now be edited, or no longer (a loader started or ended).
    void editableChanged(vernalo::Language language);
    void saved(vernalo::Language language, const QString& path);
    void saveFailed(vernalo::Language language, const QString& message);

private:
    void changed(Language language);
    void startWrite(Language language);
    void writeFinished(Language language, bool ok, const QString& message);

    WindowParts parts_;
    ReadingController& reading_;
    QString baseDir() const { return QString::fromStdString(baseDir_()); }

    std::function<std::string()> baseDir_;
    struct Writer {
        std::thread thread;
        bool running = false;
        bool again = false;  // edits came in while it ran
    };
    PerLanguage<Writer> writers_;
};

}  // namespace vernalo
