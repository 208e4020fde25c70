#pragma once
// The dictionary loader: reads and parses one language's dictionary file on a worker thread
// at idle priority, then puts the result into the store on the GUI thread in one step.
//
// The store is only ever touched on the GUI thread: the worker parses into a map of its own,
// and the GUI thread swaps that map in from its event loop, so the change lands between two
// pieces of a reading session and a large file never freezes the window.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <cstddef>
#include <functional>

#include "dict/dictionary.h"

namespace vernalo {

// Dictionaries installed with the program: <prefix>/share/vernalo/dict beside the <prefix>/bin
// of the running executable; the configured install folder when that one does not exist.
QString InstalledDictionaryDir();

// The file of a language (readerru.dic, readeren.dic): the one under baseDir/dict when it
// exists, else the one in installedDir.
QString DictionaryFilePath(Language language, const QString& baseDir, const QString& installedDir);
// The reading rules of a language (readerru.rules, readeren.rules), found the same way.
QString RulesFilePath(Language language, const QString& baseDir, const QString& installedDir);

class DictionaryLoader : public QThread {
    Q_OBJECT
public:
    // Shows the loader's activity (" Ready " when its entries are in).
    using StatusSink = std::function<void(const QString&)>;

    // Not started; nothing set up.
    explicit DictionaryLoader(QObject* parent = nullptr);
    // Stops a parse that is still running (within a few milliseconds) and waits for it.
    ~DictionaryLoader() override;

    // `progress` is anything with the integer properties minimum, maximum and value (a
    // QProgressBar); it may be null and may be destroyed before the loader.
    void setup(Language language, QObject* progress, DictionaryStore* dictionaries,
               StatusSink status);
    // Where the file is looked for: baseDir/dict first, then installedDir.
    void setFolders(const QString& baseDir, const QString& installedDir);
    // Starts the worker at idle priority. Call on the GUI thread, once.
    void start();

signals:
    // On the GUI thread, after " Ready " was written: the file's entries are in the store.
    void loaded();
    // On the GUI thread, before loaded(): the file exists but could not be read or parsed, and
    // nothing from it was stored; or some lines of the rules file were left out.
    void problem(const QString& message);

protected:
    void run() override;
    // The thread body: choose the file, read it, parse it into the worker's own map.
    void execute();
    // Reads the language's rules file, if there is one, into the worker's map.
    void loadRules();

private:
    void apply();  // GUI thread, once the worker has finished
    void reportProgress(std::size_t done, std::size_t total);
    void setProgressRange(std::size_t total);
    Dictionary& target() const { return (*dictionaries_)[language_]; }

    Language language_ = Language::Russian;
    QPointer<QObject> progress_;
    DictionaryStore* dictionaries_ = nullptr;
    StatusSink status_;
    QString baseDir_, installedDir_;

    // Handed from the GUI thread to the worker before start(), and back when it finishes.
    Dictionary parsed_;
    quint64 baseGeneration_ = 0;
    bool parseOk_ = false;
    QString filePath_;
    QString problem_;
    QStringList ruleProblems_;  // rules files' lines left out, "FILE:LINE: why"

    // Progress updates are coalesced: at most one is waiting in the GUI thread's queue.
    std::atomic<int> progressValue_{0};
    std::atomic<bool> progressPosted_{false};
    int progressScale_ = 1;  // bytes per progress step, so that a huge file fits an int
};

// Sets up and starts a loader for a language. The caller has already shown "Loading data ...";
// " Ready " follows when the entries are in the store.
// The loader belongs to `parent` (or to the caller when null).
DictionaryLoader* startDictionaryLoader(Language language, QObject* progress,
                                        DictionaryStore& store,
                                        std::function<void(const QString&)> showStatus,
                                        const QString& baseDir,
                                        const QString& installedDictDir = InstalledDictionaryDir(),
                                        QObject* parent = nullptr);

}  // namespace vernalo
