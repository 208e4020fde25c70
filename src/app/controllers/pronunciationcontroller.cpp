#include "app/controllers/pronunciationcontroller.h"

#include "dict/rules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCursor>

#include "app/controllers/readingcontroller.h"
#include "app/pages/settingspages.h"
#include "app/pages/speechpage.h"
#include "app/window/texteditor.h"
#include "dict/dictionaryloader.h"
#include "dict/dictwriter.h"
#include "reading/segmenter.h"
#include "text/codepage.h"
#include "text/fileio.h"

namespace vernalo {

namespace {

QString RulesName(Language language) {
    return language == Language::Russian ? QStringLiteral("readerru.rules")
                                         : QStringLiteral("readeren.rules");
}

std::string Local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

PronunciationController::PronunciationController(const WindowParts& parts,
                                                 ReadingController& reading,
                                                 std::function<std::string()> baseDir,
                                                 QObject* parent)
    : QObject(parent), parts_(parts), reading_(reading), baseDir_(std::move(baseDir)) {
    connect(&reading_, &ReadingController::dictionaryReady, this,
            &PronunciationController::editableChanged);
}

PronunciationController::~PronunciationController() {
    for (Language l : kLanguages)
        if (writers_[l].thread.joinable()) writers_[l].thread.join();
}

std::optional<PronunciationController::Word> PronunciationController::WordIn(const QString& text) {
    const std::u16string units = text.toStdU16String();
    const CharClass* kinds = CharClassTable();
    auto edge = [&](char16_t c) {
        return kinds[c] == kSeparator || kinds[c] == kSentenceStop || c == u'\u2029';
    };
    std::size_t from = 0, to = units.size();
    while (from < to && edge(units[from]))
        ++from;
    while (to > from && edge(units[to - 1]))
        --to;
    if (from == to) return std::nullopt;
    Word word;
    word.key = QString::fromStdU16String(units.substr(from, to - from));
    // The language of its first word, as the reading finds it.
    const DictionaryStore none;
    Segmenter segmenter(none);
    segmenter.setText(word.key.toStdU16String());
    for (int i = 0; i < 64 && segmenter.position < segmenter.readLength; ++i) {
        const WordPiece piece = segmenter.cutWord();
        if (piece.language) {
            word.language = *piece.language;
            break;
        }
    }
    return word;
}

std::optional<PronunciationController::Word> PronunciationController::wordAtCaret() const {
    QTextCursor c = parts_.editor()->textCursor();
    if (!c.hasSelection()) c.select(QTextCursor::WordUnderCursor);
    return WordIn(c.selectedText());
}

QString PronunciationController::prepare(Language language) {
    if (!reading_.dictionaryRequested(language)) {
        // Saving writes every entry of the language: those of the file must be in first.
        reading_.startDictionaryLoader(language, baseDir_());
        emit editableChanged(language);
    }
    return notEditable(language);
}

QString PronunciationController::notEditable(Language language) const {
    if (reading_.dictionaryFailed(language))
        return tr("The dictionary could not be read, so it cannot be changed: %1")
            .arg(DictionaryFilePath(language, baseDir(), reading_.installedDictionaryDir()));
    if (!reading_.dictionaryRequested(language) || reading_.dictionaryLoading(language))
        return tr("The dictionary is still loading.");
    return {};
}

const Dictionary& PronunciationController::dictionary(Language language) const {
    return reading_.dictionaries()[language];
}

QString PronunciationController::entry(Language language, const QString& key) const {
    return QString::fromStdU16String(dictionary(language).lookup(key.toStdU16String()));
}

QString PronunciationController::setEntry(Language language, const QString& key,
                                          const QString& value) {
    if (QString why = notEditable(language); !why.isEmpty()) return why;
    switch (CheckDictEntry(key.toStdU16String(), value.toStdU16String())) {
        case DictEntryProblem::None:
            break;
        case DictEntryProblem::EmptyKey:
            return tr("Type the word first.");
        case DictEntryProblem::EmptyValue:
            return tr("Type what the voice should say.");
        case DictEntryProblem::EqualsInKey:
            return tr("A word in the dictionary cannot hold \"=\".");
        case DictEntryProblem::LineBreak:
            return tr("An entry cannot hold a line break.");
    }
    reading_.dictionaries()[language].assign(key.toStdU16String(), value.toStdU16String());
    changed(language);
    return {};
}

QString PronunciationController::removeEntry(Language language, const QString& key) {
    if (QString why = notEditable(language); !why.isEmpty()) return why;
    if (!reading_.dictionaries()[language].remove(key.toStdU16String()))
        return tr("\"%1\" is not in the dictionary.").arg(key);
    changed(language);
    return {};
}

void PronunciationController::speak(Language language, const QString& text) {
    if (text.isEmpty()) return;
    parts_.settings.speech()->voice(language).speak(text.toStdU16String());
}

void PronunciationController::changed(Language language) {
    emit entriesChanged(language);
    Writer& w = writers_[language];
    if (w.running)
        w.again = true;
    else
        startWrite(language);
}

QString PronunciationController::dictionaryPath(Language language) const {
    // The data folder's file, whether or not it exists yet.
    return DictionaryFilePath(language, baseDir(), QString());
}

bool PronunciationController::writing() const {
    return writers_[Language::Russian].running || writers_[Language::English].running;
}

void PronunciationController::startWrite(Language language) {
    Writer& w = writers_[language];
    if (w.thread.joinable()) w.thread.join();
    w.running = true;
    w.again = false;
    // The copy is the GUI thread's only cost: encoding and writing happen on the worker.
    auto copy = std::make_shared<Dictionary>(dictionary(language));
    const QString target = dictionaryPath(language);
    // The file the entries came from tells the encoding to keep.
    const QString source =
        DictionaryFilePath(language, baseDir(), reading_.installedDictionaryDir());
    w.thread = std::thread([this, language, copy, target, source] {
        TextEncoding wanted = TextEncoding::Cp1251;
        std::string bytes;
        if (ReadWholeFile(Local(source), bytes)) wanted = DetectEncoding(bytes);
        bytes = std::string();
        QString message;
        bool ok = QDir().mkpath(QFileInfo(target).absolutePath());
        std::string error = "cannot make the folder";
        if (ok) ok = SaveDictionaryFile(Local(target), *copy, wanted, &error);
        if (!ok) message = QString::fromLocal8Bit(error);
        QMetaObject::invokeMethod(
            this, [this, language, ok, message] { writeFinished(language, ok, message); },
            Qt::QueuedConnection);
    });
}

void PronunciationController::writeFinished(Language language, bool ok, const QString& message) {
    Writer& w = writers_[language];
    w.thread.join();
    w.running = false;
    if (w.again) {
        startWrite(language);
        return;
    }
    if (ok)
        emit saved(language, dictionaryPath(language));
    else
        emit saveFailed(language, tr("The dictionary was not saved: %1").arg(message));
}

QString PronunciationController::rulesPath(Language language) const {
    return QDir(baseDir()).filePath(QStringLiteral("dict/") + RulesName(language));
}

bool PronunciationController::loadRules(Language language, RulesFile& rules, QString* error) const {
    QString path = rulesPath(language);
    if (!QFileInfo::exists(path))
        path = QDir(reading_.installedDictionaryDir()).filePath(RulesName(language));
    rules = RulesFile();
    if (!QFileInfo::exists(path)) return true;
    std::string bytes, why;
    if (!ReadWholeFile(Local(path), bytes, &why)) {
        if (error) *error = tr("The rules could not be read: %1").arg(QString::fromLocal8Bit(why));
        return false;
    }
    rules = ParseRulesFile(bytes);
    return true;
}

bool PronunciationController::saveRules(Language language, const RulesFile& rules, QString* error) {
    const QString path = rulesPath(language);
    std::string why = "cannot make the folder";
    const std::string bytes = RulesFileBytes(rules);
    if (QDir().mkpath(QFileInfo(path).absolutePath()) &&
        WriteFileAtomically(Local(path), bytes, &why)) {
        // In effect from the next piece, as the entries are.
        reading_.dictionaries()[language].setRules(
            std::make_shared<const RuleSet>(bytes, Local(path)));
        return true;
    }
    if (error) *error = tr("The rules were not saved: %1").arg(QString::fromLocal8Bit(why));
    return false;
}

}  // namespace vernalo
