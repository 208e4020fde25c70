#pragma once
// Helpers for tests that run the web engine: headless settings, a tiny web server on
// 127.0.0.1, pages written to a temporary folder, and waiting for a load.

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QMap>
#include <QSignalSpy>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <string>

namespace vernalo::test {

// Software rendering always; the engine's sandbox refuses to run as root, so it is switched
// off only then. Must run before the engine starts (a static initialiser is early enough).
inline bool PrepareHeadlessWebEngine() {
    const bool root = geteuid() == 0;
    if (root) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", root ? "--no-sandbox --disable-gpu" : "--disable-gpu", 0);
    return true;
}

// Answers GET requests with fixed pages; a path listed in `delayed` is answered late.
class WebServer : public QObject {
public:
    WebServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                s->setParent(this);
                QObject::connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
            }
        });
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }
    void page(const QString& path, const QByteArray& html) { pages_[path] = html; }
    void delay(const QString& path, int ms) { delays_[path] = ms; }

private:
    void serve(QTcpSocket* s) {
        QByteArray& buf = buffers_[s];
        buf += s->readAll();
        if (!buf.contains("\r\n\r\n")) return;
        const QList<QByteArray> first = buf.left(buf.indexOf("\r\n")).split(' ');
        const QString path = first.size() > 1 ? QString::fromLatin1(first[1]) : QString();
        buffers_.remove(s);
        const auto it = pages_.find(path);
        QByteArray reply;
        if (it == pages_.end())
            reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        else
            reply =
                "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                "Content-Length: " +
                QByteArray::number(it->size()) + "\r\nConnection: close\r\n\r\n" + *it;
        auto send = [s, reply] {
            s->write(reply);
            s->disconnectFromHost();
        };
        const int ms = delays_.value(path, 0);
        if (ms > 0)
            QTimer::singleShot(ms, s, send);
        else
            send();
    }

    QTcpServer server_;
    QMap<QString, QByteArray> pages_;
    QMap<QString, int> delays_;
    QMap<QTcpSocket*, QByteArray> buffers_;
};

// A fresh folder under /tmp, removed with the object.
struct TempDir {
    std::string path;
    TempDir() {
        char tmpl[] = "/tmp/vernalo_browser_XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string write(const std::string& name, const std::string& text) const {
        const std::string file = path + "/" + name;
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
};

}  // namespace vernalo::test
