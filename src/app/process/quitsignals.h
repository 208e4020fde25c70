#pragma once
// SIGTERM, SIGHUP and SIGINT (a logout, a closed terminal, Ctrl+C) as a Qt signal on the GUI
// thread, so the program can close as the user would close it: the handler only writes the
// signal's number into a pipe, which a socket notifier reads from the event loop.

#include <QObject>

class QSocketNotifier;

namespace vernalo {

class QuitSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; one instance per process. Without a pipe the signals keep their
    // default action and a warning is logged.
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

signals:
    void received(int signalNumber);

private:
    void readPipe();
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace vernalo
