#pragma once
// The Contents panel beside the editor: the document's headings as a tree, the chapter being
// read in bold, and a line saying so when the document has none. It only shows; what a
// choice does is ContentsController's.

#include <QDockWidget>
#include <vector>

#include "documents/qt/documentheadings.h"

class QLabel;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace vernalo {

class ContentsPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit ContentsPanel(QWidget* parent = nullptr);

    // Shows these headings, nested by level; none shows the "no headings" line.
    void setHeadings(const std::vector<DocumentHeading>& headings);
    // Marks the heading with this index (into the list given) as the one being read; -1 none.
    void markCurrent(int index);
    int current() const { return current_; }
    // The headings' titles as shown, depth first (for tests and the screen reader's view).
    QStringList titles() const;
    QTreeWidget* tree() const { return tree_; }
    // Chooses a heading as a click or Enter does.
    void choose(int index);

signals:
    // A heading was clicked, or Enter pressed on it.
    void chosen(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStackedWidget* pages_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QLabel* empty_ = nullptr;
    std::vector<QTreeWidgetItem*> items_;  // by heading index
    int current_ = -1;
};

}  // namespace vernalo
