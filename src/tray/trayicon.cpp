#include "tray/trayicon.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QLoggingCategory>
#include <QMenu>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <QWindowStateChangeEvent>

namespace vernalo {

Q_LOGGING_CATEGORY(lcTray, "vernalo.tray", QtWarningMsg)
namespace {

constexpr int kWatchdogMs = 2000;

}  // namespace

TrayIcon::TrayIcon(QWidget* ownerForm) : QObject(ownerForm), ownerForm_(ownerForm) {}

TrayIcon::~TrayIcon() {
    deleteTrayIcon();
    restoreWndProc();
}

QString TrayIcon::cutTip(const QString& text, int limit) {
    if (text.size() <= limit) return text;
    int n = limit;
    if (n > 0 && text.at(n - 1).isHighSurrogate()) --n;
    return text.left(n);
}

QString TrayIcon::tipText() const {
    if (!hint_.isEmpty() || !ownerForm_) return cutTip(hint_);
    QString caption = ownerForm_->windowTitle();
    if (caption.isEmpty()) caption = QApplication::applicationDisplayName();
    return cutTip(caption);
}

void TrayIcon::loaded() {
    if (hooked_ || !ownerForm_ || !ownerForm_->isWindow()) return;
    ownerForm_->installEventFilter(this);
    hooked_ = true;
}

void TrayIcon::setHint(const QString& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    if (iconShown_ && icon_) icon_->setToolTip(tipText());
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ownerForm_ && hooked_) {
        switch (event->type()) {
            case QEvent::WindowStateChange: {
                const auto* change = static_cast<QWindowStateChangeEvent*>(event);
                const bool nowMinimized = ownerForm_->windowState() & Qt::WindowMinimized;
                const bool wasMinimized = change->oldState() & Qt::WindowMinimized;
                if (nowMinimized && !wasMinimized && !hidePending_ && trayAvailable()) {
                    previousState_ = change->oldState() & ~Qt::WindowMinimized;
                    hidePending_ = true;
                    // Hiding from inside the state change confuses some window managers.
                    QTimer::singleShot(0, this, &TrayIcon::hideToTray);
                }
                break;
            }
            case QEvent::Show:
                // Shown again by other means: the icon has no more purpose.
                if (iconShown_) deleteTrayIcon();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TrayIcon::hideToTray() {
    hidePending_ = false;
    if (!ownerForm_ || !(ownerForm_->windowState() & Qt::WindowMinimized)) return;
    addTrayIcon();
    ownerForm_->hide();
}

void TrayIcon::setMenu(QMenu* menu) {
    menu_ = menu;
    if (icon_) icon_->setContextMenu(menu);
}

void TrayIcon::addTrayIcon() {
    if (!icon_) {
        icon_ = new QSystemTrayIcon(this);
        icon_->setObjectName(QStringLiteral("trayIcon"));
        connect(icon_, &QSystemTrayIcon::activated, this, &TrayIcon::iconActivated);
        if (menu_) icon_->setContextMenu(menu_);
    }
    QIcon image = ownerForm_ ? ownerForm_->windowIcon() : QIcon();
    if (image.isNull()) image = QApplication::windowIcon();
    if (image.isNull()) image = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    icon_->setIcon(image);
    icon_->setToolTip(tipText());
    icon_->show();
    iconShown_ = true;
    if (!watchdog_) {
        watchdog_ = new QTimer(this);
        watchdog_->setInterval(kWatchdogMs);
        connect(watchdog_, &QTimer::timeout, this, [this] {
            if (iconShown_ && !trayAvailable()) {
                qCWarning(lcTray) << "the notification area went away; the window comes back";
                restoreOwner();
            }
        });
    }
    watchdog_->start();
}

void TrayIcon::deleteTrayIcon() {
    if (!iconShown_) return;
    if (icon_) icon_->hide();
    if (watchdog_) watchdog_->stop();
    iconShown_ = false;
}

void TrayIcon::restoreWndProc() {
    if (!hooked_) return;
    if (ownerForm_) ownerForm_->removeEventFilter(this);
    hooked_ = false;
}

void TrayIcon::restoreOwner() {
    deleteTrayIcon();
    if (!ownerForm_) return;
    ownerForm_->setWindowState(previousState_);
    ownerForm_->show();
    ownerForm_->raise();
    ownerForm_->activateWindow();
}

void TrayIcon::restore() {
    if (iconShown_) restoreOwner();
}

void TrayIcon::iconActivated(QSystemTrayIcon::ActivationReason reason) {
    // Single, middle and right clicks do nothing.
    if (reason == QSystemTrayIcon::DoubleClick && iconShown_) restoreOwner();
}

}  // namespace vernalo
