#include "app/process/singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include "app/window/logging.h"

namespace vernalo {

namespace {

constexpr char kRaise[] = "raise";
constexpr char kRead[] = "read";

// Items of a request, each ended by a NUL byte (a file name never holds one).
QByteArray Encode(const QStringList& items) {
    QByteArray bytes;
    for (const QString& item : items)
        bytes += item.toUtf8() + '\0';
    return bytes;
}

}  // namespace

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent) : QObject(parent) {
    // The same folder reached by another path (a link, "..") is the same folder.
    const QFileInfo info(dataFolder);
    const QString canonical = info.canonicalFilePath();
    const QString key = canonical.isEmpty() ? info.absoluteFilePath() : canonical;
    const QByteArray hash =
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    base_ = QDir(runtime).filePath(QStringLiteral("vernalo-") + QString::fromLatin1(hash));
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

SingleInstance::Role SingleInstance::claim() {
    lock_ = std::make_unique<QLockFile>(lockPath());
    // Never stale by age, only when the process that holds it is gone.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        if (lock_->error() == QLockFile::LockFailedError) return Role::Second;
        qCWarning(lcApp) << "cannot make" << lockPath() << "; a second window is not detected";
        return Role::Alone;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath());  // left by a crash: the lock was ours to take
    if (!server_->listen(socketPath())) {
        qCWarning(lcApp) << "cannot listen on" << socketPath() << server_->errorString();
        return Role::First;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
    qCInfo(lcApp) << "listening on" << socketPath();
    return Role::First;
}

bool SingleInstance::heldElsewhere() const {
    QLockFile lock(lockPath());
    lock.setStaleLockTime(0);
    if (lock.tryLock(0)) return false;  // unlocked again as it goes
    return lock.error() == QLockFile::LockFailedError;
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The request is complete when the other side has written it all and hung up.
        connect(socket, &QLocalSocket::readChannelFinished, this, [this, socket] {
            const QByteArray request = socket->readAll();
            // A text to read: everything after the word, NUL bytes and all.
            const QByteArray read = QByteArray(kRead) + '\0';
            if (request.startsWith(read)) {
                emit textRequested(QString::fromUtf8(request.mid(read.size())));
                return;
            }
            const QList<QByteArray> items = request.split('\0');
            if (items.isEmpty() || items.first() != kRaise) return;
            QStringList files;
            for (qsizetype i = 1; i < items.size(); ++i)
                if (!items[i].isEmpty()) files << QString::fromUtf8(items[i]);
            emit requested(files);
        });
    }
}

bool SingleInstance::handOver(const QStringList& files, int timeoutMs) {
    QStringList items{QString::fromLatin1(kRaise)};
    for (const QString& f : files)
        items << QFileInfo(f).absoluteFilePath();
    return send(Encode(items), timeoutMs);
}

bool SingleInstance::handOverText(const QString& text, int timeoutMs) {
    return send(QByteArray(kRead) + '\0' + text.toUtf8(), timeoutMs);
}

bool SingleInstance::send(const QByteArray& request, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running window may still be starting and not listen yet.
    while (true) {
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) break;
        if (deadline.hasExpired()) return false;
        QThread::msleep(50);
    }
    socket.write(request);
    // A big text goes out in many writes.
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) return false;
    socket.disconnectFromServer();
    return socket.state() == QLocalSocket::UnconnectedState ||
           socket.waitForDisconnected(static_cast<int>(deadline.remainingTime()));
}

}  // namespace vernalo
