#include "app/window/contentspanel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStackedWidget>
#include <QTreeWidget>

namespace vernalo {

ContentsPanel::ContentsPanel(QWidget* parent) : QDockWidget(tr("Contents"), parent) {
    setObjectName(QStringLiteral("contentsPanel"));
    setAccessibleName(tr("Contents"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    pages_ = new QStackedWidget(this);
    tree_ = new QTreeWidget(pages_);
    tree_->setAccessibleName(tr("Contents"));
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setUniformRowHeights(true);
    tree_->setExpandsOnDoubleClick(false);
    tree_->header()->setStretchLastSection(true);
    tree_->installEventFilter(this);
    empty_ = new QLabel(tr("This document has no headings."), pages_);
    empty_->setWordWrap(true);
    empty_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    empty_->setMargin(8);
    pages_->addWidget(tree_);
    pages_->addWidget(empty_);
    pages_->setCurrentWidget(empty_);
    setWidget(pages_);
    connect(tree_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { emit chosen(item->data(0, Qt::UserRole).toInt()); });
}

void ContentsPanel::setHeadings(const std::vector<DocumentHeading>& headings) {
    tree_->clear();
    items_.clear();
    current_ = -1;
    items_.reserve(headings.size());
    // Each heading goes under the last one of a lower level before it.
    std::vector<std::pair<int, QTreeWidgetItem*>> open;
    QList<QTreeWidgetItem*> top;
    for (std::size_t i = 0; i < headings.size(); ++i) {
        const DocumentHeading& h = headings[i];
        while (!open.empty() && open.back().first >= h.level)
            open.pop_back();
        auto* item = open.empty() ? new QTreeWidgetItem() : new QTreeWidgetItem(open.back().second);
        item->setText(0, h.title);
        item->setToolTip(0, h.title);
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        if (open.empty()) top.append(item);
        open.emplace_back(h.level, item);
        items_.push_back(item);
    }
    tree_->addTopLevelItems(top);
    tree_->expandAll();
    pages_->setCurrentWidget(headings.empty() ? static_cast<QWidget*>(empty_) : tree_);
}

void ContentsPanel::markCurrent(int index) {
    if (index == current_) return;
    if (current_ >= 0 && current_ < static_cast<int>(items_.size())) {
        QFont f = items_[current_]->font(0);
        f.setBold(false);
        items_[current_]->setFont(0, f);
    }
    current_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
    if (current_ < 0) return;
    QTreeWidgetItem* item = items_[current_];
    QFont f = item->font(0);
    f.setBold(true);
    item->setFont(0, f);
    tree_->scrollToItem(item);
}

QStringList ContentsPanel::titles() const {
    QStringList out;
    for (const QTreeWidgetItem* item : items_)
        out << item->text(0);
    return out;
}

void ContentsPanel::choose(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size())) return;
    tree_->setCurrentItem(items_[index]);
    emit chosen(index);
}

bool ContentsPanel::eventFilter(QObject* watched, QEvent* event) {
    // Enter chooses; a double click is two clicks, and not a third choice.
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && tree_->currentItem()) {
            emit chosen(tree_->currentItem()->data(0, Qt::UserRole).toInt());
            return true;
        }
    }
    return QDockWidget::eventFilter(watched, event);
}

}  // namespace vernalo
