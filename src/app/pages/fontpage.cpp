#include "app/pages/fontpage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialogs/editorfont.h"
#include "app/window/boldlabel.h"

namespace vernalo {

FontPage::FontPage(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("fontGroup"));
    group->setToolTip(tr("Font "));
    group->setAccessibleName(tr("Font"));
    row->addWidget(group);
    auto* g = new QGridLayout(group);
    g->setContentsMargins(8, 4, 8, 4);
    auto readOnly = [&](const QString& accessibleName, const QString& text, int width) {
        auto* e = new QLineEdit(text, group);
        e->setReadOnly(true);
        e->setFixedWidth(width);
        e->setAccessibleName(accessibleName);
        return e;
    };
    // The first texts are placeholders until the settings are read.
    name_ = readOnly(tr("Font Name"), QStringLiteral("EdFontName"), 201);
    size_ = readOnly(tr("Font Size"), QStringLiteral("Edit3"), 49);
    color_ = readOnly(tr("Font Color"), QString(), 25);
    color_->setFocusPolicy(Qt::NoFocus);
    auto* choose = new QPushButton(QStringLiteral("..."), group);
    choose->setObjectName(QStringLiteral("chooseFontButton"));
    choose->setAccessibleName(tr("Choose font"));
    choose->setFixedWidth(49);
    connect(choose, &QPushButton::clicked, this, &FontPage::chooseFontClicked);
    auto* recode = new QPushButton(tr("Dos2Win"), group);
    recode->setObjectName(QStringLiteral("dosToWindowsButton"));
    recode->setToolTip(tr("Transformation  DOS to WIN"));
    connect(recode, &QPushButton::clicked, this, &FontPage::dosToWindowsClicked);
    auto* nameLabel = BoldLabel(tr("Font Name"), group);
    auto* sizeLabel = BoldLabel(tr("Font Size"), group);
    auto* colorLabel = BoldLabel(tr("Font Color"), group);
    nameLabel->setBuddy(name_);
    sizeLabel->setBuddy(size_);
    g->addWidget(nameLabel, 0, 0);
    g->addWidget(name_, 0, 1, 1, 3);
    g->addWidget(choose, 0, 4);
    g->addWidget(recode, 0, 5);
    g->addWidget(sizeLabel, 1, 0);
    g->addWidget(size_, 1, 1);
    g->addWidget(colorLabel, 1, 2, Qt::AlignRight);
    g->addWidget(color_, 1, 3);
    g->setColumnStretch(6, 1);
}

void FontPage::showFont(const QFont& font, ColorCode color) {
    name_->setText(font.family());
    size_->setText(QString::number(font.pointSize()));
    QPalette p = color_->palette();
    p.setColor(QPalette::Base, DisplayColor(color, palette()));
    color_->setPalette(p);
    color_->setToolTip(QString::fromStdU16String(FormatColor(color)));
}

}  // namespace vernalo
