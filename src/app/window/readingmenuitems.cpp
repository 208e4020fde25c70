#include "app/window/readingmenuitems.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenu>

#include "app/controllers/readingcontroller.h"
#include "app/controllers/sleeptimer.h"

namespace vernalo {

ReadingMenuItems::ReadingMenuItems(QMenu* menu, ReadingController& reading, SleepTimer& sleepTimer)
    : QObject(menu) {
    using Step = ReadingController::PieceStep;
    const struct {
        const char* text;
        QKeySequence keys;
        Step step;
    } steps[] = {
        {QT_TR_NOOP("&Previous piece"), QKeySequence(Qt::ALT | Qt::Key_Left), Step::Previous},
        {QT_TR_NOOP("&Next piece"), QKeySequence(Qt::ALT | Qt::Key_Right), Step::Next},
        {QT_TR_NOOP("Read the piece &again"), QKeySequence(Qt::ALT | Qt::Key_Down), Step::Again},
    };
    menu->addSeparator();
    for (const auto& s : steps) {
        QAction* a = menu->addAction(tr(s.text));
        a->setShortcut(s.keys);
        connect(a, &QAction::triggered, this,
                [&reading, step = s.step] { reading.stepPiece(step); });
    }
    QApplication::instance()->installEventFilter(this);

    QMenu* timer = menu->addMenu(tr("S&top after"));
    auto* choices = new QActionGroup(timer);
    const auto choice = [&](const QString& text, std::function<void()> run,
                            std::function<bool()> chosen) {
        QAction* a = timer->addAction(text);
        a->setCheckable(true);
        choices->addAction(a);
        connect(a, &QAction::triggered, this, std::move(run));
        connect(timer, &QMenu::aboutToShow, a,
                [a, chosen = std::move(chosen)] { a->setChecked(chosen()); });
        return a;
    };
    for (int minutes : {15, 30, 45, 60})
        choice(
            tr("&%1 minutes").arg(minutes),
            [&sleepTimer, minutes] { sleepTimer.stopAfter(minutes); },
            [&sleepTimer, minutes] { return sleepTimer.minutes() == minutes; });
    QAction* chapter = choice(
        tr("At the end of the &chapter"), [&sleepTimer] { sleepTimer.stopAtChapterEnd(); },
        [&sleepTimer] { return sleepTimer.atChapterEnd(); });
    connect(timer, &QMenu::aboutToShow, chapter,
            [chapter, &sleepTimer] { chapter->setEnabled(sleepTimer.chapterEndKnown()); });
    timer->addSeparator();
    choice(
        tr("&Off"), [&sleepTimer] { sleepTimer.turnOff(); },
        [&sleepTimer] { return sleepTimer.minutes() == 0 && !sleepTimer.atChapterEnd(); });
}

bool ReadingMenuItems::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QComboBox*>(watched)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::AltModifier &&
            (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up)) {
            event->accept();
            return true;
        }
    }
    return false;
}

}  // namespace vernalo
