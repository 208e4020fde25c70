#pragma once
// The reading as a media player on the session bus (MPRIS 2), so the keyboard's media keys and
// the desktop's media controls play, pause and skip it as they do any player's. The service
// only reports and forwards: what Play or Next do is the owner's business.

#include <QObject>
#include <QString>
#include <functional>

namespace vernalo {

class MediaPlayerService : public QObject {
    Q_OBJECT
public:
    enum class Status { Stopped, Playing, Paused };

    struct Commands {
        std::function<void()> play, pause, playPause, stop, next, previous, raise, quit;
    };

    explicit MediaPlayerService(Commands commands, QObject* parent = nullptr);
    ~MediaPlayerService() override;

    // Registers on the session bus as org.mpris.MediaPlayer2.vernalo (with an instance
    // suffix when another holds the name). False, with one line in the log, without a bus.
    bool registerOnBus();
    QString busName() const { return busName_; }

    void setStatus(Status status);
    // The document (its file name or first words) and the piece being read.
    void setTitles(const QString& document, const QString& piece);
    void setHasText(bool hasText);

    // What the adaptors read.
    Status status() const { return status_; }
    const QString& documentTitle() const { return document_; }
    const QString& pieceTitle() const { return piece_; }
    bool hasText() const { return hasText_; }
    const Commands& commands() const { return commands_; }

private:
    void announce(const char* interface, const QVariantMap& changed);
    QVariantMap metadata() const;

    Commands commands_;
    Status status_ = Status::Stopped;
    QString document_;
    QString piece_;
    bool hasText_ = false;
    QString busName_;
    int track_ = 0;  // a new track id for every piece, as players give one per track

    friend class MprisPlayerAdaptor;
};

}  // namespace vernalo
