#include "app/window/accessibleclick.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QToolButton>

namespace vernalo {

namespace {

class ClickedButton : public QAccessibleWidget {
public:
    ClickedButton(QAbstractButton* button, QAccessible::Role role)
        : QAccessibleWidget(button, role) {}

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = button()->isCheckable();
        s.checked = button()->isChecked();
        s.pressed = button()->isDown();
        return s;
    }

    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty()) text = button()->text().remove(u'&');
        return text;
    }

    QStringList actionNames() const override {
        QStringList names{pressAction()};
        if (button()->isCheckable()) names.push_back(toggleAction());
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override {
        if (name != pressAction() && name != toggleAction())
            return QAccessibleWidget::doAction(name);
        if (!button()->isEnabled()) return;
        // What the mouse gives, so every handler of a click runs, filters included.
        const QPointF at = QRectF(button()->rect()).center();
        const QPointF global = button()->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(button(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(button(), &release);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (auto* box = qobject_cast<QCheckBox*>(object))
        return new ClickedButton(box, QAccessible::CheckBox);
    // Made while the button is built, before it may become checkable: every tool button.
    if (auto* tool = qobject_cast<QToolButton*>(object))
        return new ClickedButton(tool, QAccessible::PushButton);
    return nullptr;
}

}  // namespace

void InstallAccessibleClicks() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

}  // namespace vernalo
