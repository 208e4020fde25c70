#include "mpris/mediaplayerservice.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringList>

namespace vernalo {

Q_LOGGING_CATEGORY(lcMedia, "vernalo.media", QtWarningMsg)

namespace {

const char kPath[] = "/org/mpris/MediaPlayer2";
const char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";

const char* StatusName(MediaPlayerService::Status s) {
    switch (s) {
        case MediaPlayerService::Status::Playing:
            return "Playing";
        case MediaPlayerService::Status::Paused:
            return "Paused";
        case MediaPlayerService::Status::Stopped:
            break;
    }
    return "Stopped";
}

void Run(const std::function<void()>& command) {
    if (command) command();
}

}  // namespace

// org.mpris.MediaPlayer2: the application as a whole.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)
public:
    explicit MprisRootAdaptor(MediaPlayerService* service)
        : QDBusAbstractAdaptor(service), service_(service) {}
    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("Vernalo"); }
    QString desktopEntry() const { return QStringLiteral("vernalo"); }
    QStringList none() const { return {}; }

public slots:
    void Raise() { Run(service_->commands().raise); }
    void Quit() { Run(service_->commands().quit); }

private:
    MediaPlayerService* service_;
};

// org.mpris.MediaPlayer2.Player: the reading.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ one)
    Q_PROPERTY(double MinimumRate READ one)
    Q_PROPERTY(double MaximumRate READ one)
    Q_PROPERTY(double Volume READ one)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(bool CanGoNext READ hasText)
    Q_PROPERTY(bool CanGoPrevious READ hasText)
    Q_PROPERTY(bool CanPlay READ hasText)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanSeek READ no)
    Q_PROPERTY(bool CanControl READ yes)
public:
    explicit MprisPlayerAdaptor(MediaPlayerService* service)
        : QDBusAbstractAdaptor(service), service_(service) {}
    QString playbackStatus() const { return QLatin1String(StatusName(service_->status())); }
    double one() const { return 1.0; }
    qlonglong position() const { return 0; }
    QVariantMap metadata() const { return service_->metadata(); }
    bool hasText() const { return service_->hasText(); }
    bool yes() const { return true; }
    bool no() const { return false; }

public slots:
    void Play() { Run(service_->commands().play); }
    void Pause() { Run(service_->commands().pause); }
    void PlayPause() { Run(service_->commands().playPause); }
    void Stop() { Run(service_->commands().stop); }
    void Next() { Run(service_->commands().next); }
    void Previous() { Run(service_->commands().previous); }
    // The reading has no time line to move along.
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString&) {}

signals:
    void Seeked(qlonglong position);

private:
    MediaPlayerService* service_;
};

MediaPlayerService::MediaPlayerService(Commands commands, QObject* parent)
    : QObject(parent), commands_(std::move(commands)) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
}

MediaPlayerService::~MediaPlayerService() {
    if (busName_.isEmpty()) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QLatin1String(kPath));
    bus.unregisterService(busName_);
}

bool MediaPlayerService::registerOnBus() {
    // Only a session's own bus: without one, the bus library would launch a private one
    // through X11 that outlives the program and that no media key reaches.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        (runtime.isEmpty() ||
         !QFileInfo::exists(QString::fromLocal8Bit(runtime) + QStringLiteral("/bus")))) {
        qCInfo(lcMedia) << "no session bus: the media keys will not reach the reading";
        return false;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcMedia) << "no session bus: the media keys will not reach the reading";
        return false;
    }
    if (!bus.registerObject(QLatin1String(kPath), this, QDBusConnection::ExportAdaptors)) {
        qCWarning(lcMedia) << "cannot register the media player object:"
                           << bus.lastError().message();
        return false;
    }
    const QString name = QStringLiteral("org.mpris.MediaPlayer2.vernalo");
    // A second window (another data folder) takes a name of its own, as players do.
    for (const QString& candidate :
         {name, name + QStringLiteral(".instance") +
                    QString::number(QCoreApplication::applicationPid())}) {
        if (bus.registerService(candidate)) {
            busName_ = candidate;
            return true;
        }
    }
    qCWarning(lcMedia) << "cannot take a media player name:" << bus.lastError().message();
    bus.unregisterObject(QLatin1String(kPath));
    return false;
}

void MediaPlayerService::setStatus(Status status) {
    if (status == status_) return;
    status_ = status;
    announce(kPlayerInterface,
             {{QStringLiteral("PlaybackStatus"), QLatin1String(StatusName(status))}});
}

void MediaPlayerService::setTitles(const QString& document, const QString& piece) {
    if (document == document_ && piece == piece_) return;
    document_ = document;
    piece_ = piece;
    ++track_;
    announce(kPlayerInterface, {{QStringLiteral("Metadata"), metadata()}});
}

void MediaPlayerService::setHasText(bool hasText) {
    if (hasText == hasText_) return;
    hasText_ = hasText;
    announce(kPlayerInterface, {{QStringLiteral("CanGoNext"), hasText},
                                {QStringLiteral("CanGoPrevious"), hasText},
                                {QStringLiteral("CanPlay"), hasText}});
}

QVariantMap MediaPlayerService::metadata() const {
    QVariantMap m;
    m.insert(
        QStringLiteral("mpris:trackid"),
        QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/vernalo/piece/%1").arg(track_))));
    m.insert(QStringLiteral("xesam:title"), piece_.isEmpty() ? document_ : piece_);
    m.insert(QStringLiteral("xesam:album"), document_);
    m.insert(QStringLiteral("xesam:artist"), QStringList{QStringLiteral("Vernalo")});
    return m;
}

void MediaPlayerService::announce(const char* interface, const QVariantMap& changed) {
    if (busName_.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(kPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(interface) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

}  // namespace vernalo

#include "mediaplayerservice.moc"
