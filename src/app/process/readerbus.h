#pragma once
// Vernalo's own interface on the session bus, for scripts and other programs:
// io.github.vernalo.Vernalo.Reader at /io/github/vernalo/Vernalo, on the name the media player
// took (org.mpris.MediaPlayer2.vernalo). ReadText(s), ReadSelection() and ReadClipboard()
// read as `vernalo --read-...` does and answer the error
// io.github.vernalo.Vernalo.Error.NothingToRead when there is no text; Stop() stops the
// reading.

#include <QDBusContext>
#include <QObject>
#include <QString>
#include <functional>

namespace vernalo {

// The bus tells the object an adaptor serves, not the adaptor, which call it is answering.
class ReaderBus : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    static constexpr char kPath[] = "/io/github/vernalo/Vernalo";
    static constexpr char kInterface[] = "io.github.vernalo.Vernalo.Reader";
    static constexpr char kNothingToRead[] = "io.github.vernalo.Vernalo.Error.NothingToRead";

    // Each read command answers false when there was nothing to read.
    struct Commands {
        std::function<bool(const QString&)> readText;
        std::function<bool()> readSelection, readClipboard;
        std::function<void()> stop;
    };

    explicit ReaderBus(Commands commands, QObject* parent = nullptr);
    ~ReaderBus() override;

    // Puts the object on the session bus connection the media player uses; false without one.
    bool registerOnBus();

private:
    Commands commands_;
    bool registered_ = false;

    friend class ReaderBusAdaptor;
};

}  // namespace vernalo
