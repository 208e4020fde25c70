#pragma once
// The pronunciation editor's list of a language's entries: search, edit and remove. The list
// reads the store the reading uses; a two-million-entry dictionary is shown without copying
// it, and searched in one pass when the search text settles.

#include <QAbstractTableModel>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "text/language.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;
class QTimer;

namespace vernalo {

class Dictionary;
class PronunciationController;

class DictionaryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DictionaryModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    // Shows the entries whose word or value holds `search` (all when empty).
    void show(const Dictionary* dictionary, const QString& search);
    QString key(int row) const;
    QString value(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::size_t entryOf(int row) const;

    const Dictionary* dictionary_ = nullptr;
    bool filtered_ = false;
    std::vector<std::uint32_t> rows_;  // entry indices matching the search
};

class DictionaryTab : public QWidget {
    Q_OBJECT
public:
    DictionaryTab(PronunciationController& controller, QWidget* parent = nullptr);
    void setLanguage(Language language);
    Language language() const;
    // The list as the store holds it now.
    void refresh();
    DictionaryModel* model() const { return model_; }

signals:
    // Edit was asked for an entry: the word tab takes it.
    void editEntry(vernalo::Language language, const QString& key);
    void message(const QString& text);

private:
    int currentRow() const;
    void removeCurrent();

    PronunciationController& controller_;
    QComboBox* language_ = nullptr;
    QLineEdit* search_ = nullptr;
    QTimer* searchDelay_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* count_ = nullptr;
    DictionaryModel* model_ = nullptr;
};

}  // namespace vernalo
