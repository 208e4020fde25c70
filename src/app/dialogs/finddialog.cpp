#include "app/dialogs/finddialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vernalo {

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("findDialog"));
    setWindowTitle(tr("Find"));
    setModal(false);
    auto* grid = new QGridLayout(this);
    auto* label = new QLabel(tr("Fi&nd what:"), this);
    what_ = new QLineEdit(this);
    what_->setObjectName(QStringLiteral("FindWhat"));
    label->setBuddy(what_);
    matchCase_ = new QCheckBox(tr("Match &case"), this);
    wholeWord_ = new QCheckBox(tr("Match &whole word only"), this);
    auto* direction = new QGroupBox(tr("Direction"), this);
    auto* dl = new QHBoxLayout(direction);
    up_ = new QRadioButton(tr("&Up"), direction);
    down_ = new QRadioButton(tr("&Down"), direction);
    dl->addWidget(up_);
    dl->addWidget(down_);
    auto* next = new QPushButton(tr("&Find Next"), this);
    next->setObjectName(QStringLiteral("FindNext"));
    next->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(what_, 0, 1, 1, 2);
    grid->addWidget(next, 0, 3);
    grid->addWidget(wholeWord_, 1, 0, 1, 2);
    grid->addWidget(direction, 1, 2, 2, 1);
    grid->addWidget(cancel, 1, 3);
    grid->addWidget(matchCase_, 2, 0, 1, 2);
    connect(next, &QPushButton::clicked, this, &FindDialog::find);
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
    // Untouched, the dialog searches as the program always has: down, matching case.
    setOptions(FindOptions{});
}

QString FindDialog::findText() const {
    return what_->text();
}
void FindDialog::setFindText(const QString& text) {
    what_->setText(text);
}

FindOptions FindDialog::options() const {
    FindOptions o;
    o.down = down_->isChecked();
    o.matchCase = matchCase_->isChecked();
    o.wholeWord = wholeWord_->isChecked();
    return o;
}

void FindDialog::setOptions(const FindOptions& o) {
    down_->setChecked(o.down);
    up_->setChecked(!o.down);
    matchCase_->setChecked(o.matchCase);
    wholeWord_->setChecked(o.wholeWord);
}

}  // namespace vernalo
