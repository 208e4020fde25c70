#pragma once
// The reading as the desktop's media controls and the keyboard's media keys see it: Play and
// Pause are Say, Next and Previous move the reading by one piece, and the media widget shows
// the document and the piece being read.

#include <QObject>
#include <functional>

#include "app/controllers/windowparts.h"

namespace vernalo {

class MediaPlayerService;
class ReadingController;

class MediaBridge : public QObject {
    Q_OBJECT
public:
    // `raise` brings the window forward, `quit` closes it.
    MediaBridge(const WindowParts& parts, ReadingController& reading, std::function<void()> raise,
                std::function<void()> quit, QObject* parent = nullptr);

    // The controls reach the reading (false without a session bus).
    bool registerOnBus();

private:
    void textChanged();
    void showTitles();

    WindowParts parts_;
    MediaPlayerService* media_ = nullptr;
};

}  // namespace vernalo
