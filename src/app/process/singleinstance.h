#pragma once
// One window per data folder: two windows on the same folder would each write the text at
// close, the last one silently overwriting the other's. The first start holds a lock keyed by
// the folder and listens on a local socket beside it; a later start hands its files to that
// window, which comes forward and opens them, and then ends.
//
// The lock names the holding process, so a lock left by a crash is taken over at the next
// start.

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLockFile;

namespace vernalo {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        First,   // this process holds the folder and listens for later starts
        Second,  // another window holds the folder: hand over to it
        Alone,   // no lock could be made (no runtime folder): run without the guard
    };

    explicit SingleInstance(const QString& dataFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    Role claim();
    // Whether a window holds the folder now, without claiming it: a start that only hands
    // something over can then skip what a window needs.
    bool heldElsewhere() const;
    // Asks the running window to come forward and open `files` (made absolute here, against
    // this process's current folder). False when it does not answer within `timeoutMs`.
    bool handOver(const QStringList& files, int timeoutMs = 5000);
    // Asks the running window to read `text` (taken by this start from the selection, the
    // clipboard or the command line). False when it does not answer within `timeoutMs`.
    bool handOverText(const QString& text, int timeoutMs = 5000);

    // Where the lock and the socket are; for diagnostics and tests.
    QString lockPath() const { return base_ + QStringLiteral(".lock"); }
    QString socketPath() const { return base_ + QStringLiteral(".socket"); }

signals:
    // On the first window, for each later start: come forward, then open these files.
    void requested(const QStringList& files);
    // On the first window: a later start asks it to read this text.
    void textRequested(const QString& text);

private:
    void accept();
    bool send(const QByteArray& request, int timeoutMs);

    QString base_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

}  // namespace vernalo
