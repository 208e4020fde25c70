#include "app/process/readerbus.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>

#include "app/window/logging.h"

namespace vernalo {

class ReaderBusAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.vernalo.Vernalo.Reader")
public:
    explicit ReaderBusAdaptor(ReaderBus* bus) : QDBusAbstractAdaptor(bus), bus_(bus) {}

public slots:
    void ReadText(const QString& text) { answer(bus_->commands_.readText(text)); }
    void ReadSelection() { answer(bus_->commands_.readSelection()); }
    void ReadClipboard() { answer(bus_->commands_.readClipboard()); }
    void Stop() { bus_->commands_.stop(); }

private:
    // A script told nothing of an empty clipboard would wait for a reading that never comes.
    void answer(bool read) {
        if (!read && bus_->calledFromDBus())
            bus_->sendErrorReply(QString::fromLatin1(ReaderBus::kNothingToRead),
                                 QStringLiteral("There is no text to read."));
    }

    ReaderBus* bus_;
};

ReaderBus::ReaderBus(Commands commands, QObject* parent)
    : QObject(parent), commands_(std::move(commands)) {
    new ReaderBusAdaptor(this);
}

ReaderBus::~ReaderBus() {
    if (registered_) QDBusConnection::sessionBus().unregisterObject(QLatin1String(kPath));
}

bool ReaderBus::registerOnBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    registered_ = bus.registerObject(QLatin1String(kPath), this, QDBusConnection::ExportAdaptors);
    if (!registered_)
        qCWarning(lcApp) << "cannot register the reader on the session bus:"
                         << bus.lastError().message();
    return registered_;
}

}  // namespace vernalo

#include "readerbus.moc"
