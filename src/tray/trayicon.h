#pragma once
// Hiding the main window to the notification area: minimizing the window hides it (and its
// task-bar entry) and shows an icon; a double click with the left button on the icon brings
// the window back in the state it had before (a maximized window comes back maximized).
//
// Where the desktop has no notification area, minimizing minimizes normally: a hidden window
// with no icon would leave the user no way back to it. For the same reason the window comes
// back by itself if the notification area goes away while the window is hidden.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QWidget>
#include <functional>

class QMenu;
class QTimer;

namespace vernalo {

class TrayIcon : public QObject {
    Q_OBJECT
public:
    // Longest tool-tip the icon shows.
    static constexpr int kMaxTipLength = 63;

    // A child of the form it serves; inert until loaded(). Destroying it (with the form)
    // removes the icon.
    explicit TrayIcon(QWidget* ownerForm);
    ~TrayIcon() override;

    // Attaches to the owner form's window changes. Does nothing when the owner is not a
    // top-level window.
    void loaded();

    // The icon's tool-tip; when empty, the form's caption is used. A change shows at once on an
    // icon that is shown.
    void setHint(const QString& hint);

    // Brings a window hidden to the notification area back, as a double click on the icon
    // does; nothing when it is not hidden there.
    void restore();

    // The menu the icon's context click shows; the caller keeps it alive.
    void setMenu(QMenu* menu);

    bool iconShown() const { return iconShown_; }
    // The notification-area icon; null until the window was first hidden to it.
    QSystemTrayIcon* trayIcon() const { return icon_; }

    // Whether the desktop has a notification area now; replaceable for tests.
    std::function<bool()> trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The tool-tip the icon shows, or would show now: the hint or the caption, cut to 63
    // characters without splitting a surrogate pair.
    QString tipText() const;
    static QString cutTip(const QString& text, int limit = kMaxTipLength);
    void hideToTray();
    void addTrayIcon();
    void deleteTrayIcon();
    void restoreWndProc();
    void restoreOwner();
    void iconActivated(QSystemTrayIcon::ActivationReason reason);

    QPointer<QWidget> ownerForm_;
    QString hint_;
    bool hooked_ = false;
    bool iconShown_ = false;
    bool hidePending_ = false;
    Qt::WindowStates previousState_ = Qt::WindowNoState;
    QSystemTrayIcon* icon_ = nullptr;
    QPointer<QMenu> menu_;
    QTimer* watchdog_ = nullptr;  // brings the window back if the notification area goes away
};

}  // namespace vernalo
