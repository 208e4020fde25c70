#include "dict/dictionaryloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>
#include <climits>
#include <exception>
#include <string>

#include "dict/dictfile.h"
#include "dict/rules.h"
#include "text/fileio.h"

namespace vernalo {

Q_LOGGING_CATEGORY(lcDict, "vernalo.dict", QtWarningMsg)

namespace {

// Thrown from the progress callback to end a parse whose loader is being destroyed.
struct Interrupted {};

// How many times each map has been replaced by a loader (GUI thread only). A loader starts
// from a copy of its map; if another loader replaced the map meanwhile, that copy is stale
// and the parse is done again from the current map rather than losing the other's entries.
QHash<const Dictionary*, quint64>& Generations() {
    static QHash<const Dictionary*, quint64> generations;
    return generations;
}

}  // namespace

QString InstalledDictionaryDir() {
    if (QCoreApplication::instance()) {
        const QString beside = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                               QStringLiteral("/../share/vernalo/dict"));
        if (QFileInfo(beside).isDir()) return beside;
    }
#ifdef VERNALO_DICT_DIR
    return QString::fromUtf8(VERNALO_DICT_DIR);
#else
    return {};
#endif
}

namespace {

QString DataFilePath(const QString& name, const QString& baseDir, const QString& installedDir) {
    const QString base = baseDir.isEmpty() ? QDir::currentPath() : baseDir;
    const QString own = QDir(base).filePath(QStringLiteral("dict/") + name);
    if (QFileInfo::exists(own) || installedDir.isEmpty()) return own;
    return QDir(installedDir).filePath(name);
}

}  // namespace

QString DictionaryFilePath(Language language, const QString& baseDir, const QString& installedDir) {
    return DataFilePath(language == Language::Russian ? QStringLiteral("readerru.dic")
                                                      : QStringLiteral("readeren.dic"),
                        baseDir, installedDir);
}

QString RulesFilePath(Language language, const QString& baseDir, const QString& installedDir) {
    return DataFilePath(language == Language::Russian ? QStringLiteral("readerru.rules")
                                                      : QStringLiteral("readeren.rules"),
                        baseDir, installedDir);
}

DictionaryLoader::DictionaryLoader(QObject* parent) : QThread(parent) {
    // Queued: the slot runs on the GUI thread, where this object lives, after run() returned.
    connect(this, &QThread::finished, this, &DictionaryLoader::apply, Qt::QueuedConnection);
}

DictionaryLoader::~DictionaryLoader() {
    requestInterruption();
    wait();
}

void DictionaryLoader::setup(Language language, QObject* progress, DictionaryStore* dictionaries,
                             StatusSink status) {
    language_ = language;
    progress_ = progress;
    dictionaries_ = dictionaries;
    status_ = std::move(status);
}

void DictionaryLoader::setFolders(const QString& baseDir, const QString& installedDir) {
    baseDir_ = baseDir;
    installedDir_ = installedDir;
}

void DictionaryLoader::start() {
    if (!dictionaries_ || isRunning()) return;
    parsed_ = target();
    baseGeneration_ = Generations().value(&target());
    QThread::start(QThread::IdlePriority);
}

void DictionaryLoader::run() {
    execute();
}

void DictionaryLoader::execute() {
    parseOk_ = false;
    problem_.clear();
    filePath_ = DictionaryFilePath(language_, baseDir_, installedDir_);
    const std::string path = QFile::encodeName(filePath_).toStdString();
    std::string bytes;
    try {
        if (!FileExists(path)) {
            // No dictionary is a normal set-up: load nothing, say nothing.
            filePath_.clear();
        } else if (!QFileInfo(filePath_).isFile()) {
            problem_ = tr("Dictionary not loaded: %1 is not a file").arg(filePath_);
            return;
        } else {
            std::string error;
            if (!ReadWholeFile(path, bytes, &error)) {
                problem_ = tr("Dictionary not loaded: %1").arg(QString::fromLocal8Bit(error));
                return;
            }
        }
        setProgressRange(bytes.size());
        ParseDictionary(bytes, parsed_, [this](std::size_t done, std::size_t total) {
            if (isInterruptionRequested()) throw Interrupted{};
            reportProgress(done, total);
        });
        loadRules();
        parseOk_ = true;
    } catch (const Interrupted&) {
    } catch (const std::exception& e) {
        // Out of memory or a file too large for the map: keep the store as it was.
        problem_ =
            tr("Dictionary not loaded: %1: %2").arg(filePath_, QString::fromLocal8Bit(e.what()));
    }
}

void DictionaryLoader::loadRules() {
    ruleProblems_.clear();
    const QString file = RulesFilePath(language_, baseDir_, installedDir_);
    const std::string path = QFile::encodeName(file).toStdString();
    std::shared_ptr<const RuleSet> rules;
    std::string error;
    if (!FileExists(path)) {
        // Rules are optional: none, none read.
    } else if (!LoadRulesFile(path, rules, &error)) {
        ruleProblems_ << file + QStringLiteral(": ") + QString::fromLocal8Bit(error);
    } else {
        for (const std::string& problem : rules->problems())
            ruleProblems_ << QString::fromStdString(problem);
    }
    parsed_.setRules(std::move(rules));
}

void DictionaryLoader::setProgressRange(std::size_t total) {
    std::size_t scale = 1;
    while ((total + 1) / scale > static_cast<std::size_t>(INT_MAX))
        scale *= 2;
    progressScale_ = static_cast<int>(scale);
    const int maximum = static_cast<int>((total + 1) / scale);
    progressValue_ = 0;
    QMetaObject::invokeMethod(
        this,
        [this, maximum] {
            if (!progress_) return;
            progress_->setProperty("minimum", 0);
            progress_->setProperty("maximum", maximum);
            progress_->setProperty("value", 0);
        },
        Qt::QueuedConnection);
}

void DictionaryLoader::reportProgress(std::size_t done, std::size_t /*total*/) {
    progressValue_ = static_cast<int>(done / static_cast<std::size_t>(progressScale_));
    if (progressPosted_.exchange(true)) return;  // the waiting update will show the latest value
    QMetaObject::invokeMethod(
        this,
        [this] {
            progressPosted_ = false;
            if (progress_) progress_->setProperty("value", progressValue_.load());
        },
        Qt::QueuedConnection);
}

void DictionaryLoader::apply() {
    wait();  // finished() comes just before the thread ends
    if (isInterruptionRequested()) return;
    if (parseOk_) {
        quint64& generation = Generations()[&target()];
        if (generation != baseGeneration_) {
            parsed_ = target();
            baseGeneration_ = generation;
            QThread::start(QThread::IdlePriority);
            return;
        }
        // The parse started from a copy of the map, so it holds the old entries and the file's:
        // one swap puts them all in place, however large the file.
        target().swap(parsed_);
        ++generation;
        if (!ruleProblems_.isEmpty()) {
            const QString text = tr("Some reading rules were left out:\n%1")
                                     .arg(ruleProblems_.join(QLatin1Char('\n')));
            qCWarning(lcDict) << text;
            emit problem(text);
        }
    } else if (!problem_.isEmpty()) {
        qCWarning(lcDict) << problem_;
        emit problem(problem_);
    }
    Dictionary().swap(parsed_);
    if (progress_) progress_->setProperty("value", 0);
    if (status_) status_(QStringLiteral(" Ready "));
    emit loaded();
}

DictionaryLoader* startDictionaryLoader(Language language, QObject* progress,
                                        DictionaryStore& store,
                                        std::function<void(const QString&)> showStatus,
                                        const QString& baseDir, const QString& installedDictDir,
                                        QObject* parent) {
    auto* loader = new DictionaryLoader(parent);
    loader->setup(language, progress, &store, std::move(showStatus));
    loader->setFolders(baseDir, installedDictDir);
    loader->start();
    return loader;
}

}  // namespace vernalo
