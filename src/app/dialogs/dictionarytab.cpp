#include "app/dialogs/dictionarytab.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "app/controllers/pronunciationcontroller.h"
#include "app/window/languagebox.h"
#include "dict/dictionary.h"

namespace vernalo {

void DictionaryModel::show(const Dictionary* dictionary, const QString& search) {
    beginResetModel();
    dictionary_ = dictionary;
    rows_.clear();
    filtered_ = !search.isEmpty();
    if (dictionary_ && filtered_) {
        const std::u16string wanted = search.toCaseFolded().toStdU16String();
        for (std::size_t i = 0; i < dictionary_->size(); ++i) {
            const QString k = QString::fromStdU16String(dictionary_->keyAt(i)).toCaseFolded();
            if (k.toStdU16String().find(wanted) != std::u16string::npos ||
                QString::fromStdU16String(dictionary_->valueAt(i))
                    .toCaseFolded()
                    .contains(search.toCaseFolded()))
                rows_.push_back(static_cast<std::uint32_t>(i));
        }
    }
    endResetModel();
}

std::size_t DictionaryModel::entryOf(int row) const {
    return filtered_ ? rows_[static_cast<std::size_t>(row)] : static_cast<std::size_t>(row);
}

QString DictionaryModel::key(int row) const {
    return QString::fromStdU16String(dictionary_->keyAt(entryOf(row)));
}

QString DictionaryModel::value(int row) const {
    return QString::fromStdU16String(dictionary_->valueAt(entryOf(row)));
}

int DictionaryModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !dictionary_) return 0;
    return static_cast<int>(filtered_ ? rows_.size() : dictionary_->size());
}

int DictionaryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant DictionaryModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    return index.column() == 0 ? key(index.row()) : value(index.row());
}

QVariant DictionaryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    return section == 0 ? tr("Word") : tr("Say it as");
}

DictionaryTab::DictionaryTab(PronunciationController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller) {
    auto* column = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    language_ = LanguageBox(this);
    language_->setObjectName(QStringLiteral("listLanguageBox"));
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("searchEdit"));
    search_->setPlaceholderText(tr("Search"));
    search_->setAccessibleName(tr("Search"));
    search_->setClearButtonEnabled(true);
    top->addWidget(language_);
    top->addWidget(search_, 1);
    column->addLayout(top);

    model_ = new DictionaryModel(this);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("entriesTable"));
    table_->setAccessibleName(tr("Entries"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    // Fixed row heights: a view that measures rows would touch every entry of a huge list.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    column->addWidget(table_, 1);

    auto* buttons = new QHBoxLayout;
    count_ = new QLabel(this);
    auto* edit = new QPushButton(tr("&Edit"), this);
    edit->setObjectName(QStringLiteral("editEntryButton"));
    auto* remove = new QPushButton(tr("&Remove"), this);
    remove->setObjectName(QStringLiteral("removeEntryButton"));
    buttons->addWidget(count_, 1);
    buttons->addWidget(edit);
    buttons->addWidget(remove);
    column->addLayout(buttons);

    searchDelay_ = new QTimer(this);
    searchDelay_->setSingleShot(true);
    searchDelay_->setInterval(250);
    connect(searchDelay_, &QTimer::timeout, this, &DictionaryTab::refresh);
    connect(search_, &QLineEdit::textChanged, searchDelay_, qOverload<>(&QTimer::start));
    connect(language_, &QComboBox::currentIndexChanged, this, [this] {
        controller_.prepare(language());
        refresh();
    });
    const auto editCurrent = [this] {
        const int row = currentRow();
        if (row >= 0) emit editEntry(language(), model_->key(row));
    };
    connect(edit, &QPushButton::clicked, this, editCurrent);
    connect(table_, &QTableView::doubleClicked, this, editCurrent);
    connect(remove, &QPushButton::clicked, this, &DictionaryTab::removeCurrent);
}

void DictionaryTab::setLanguage(Language language) {
    SetBoxLanguage(*language_, language);
}

Language DictionaryTab::language() const {
    return BoxLanguage(*language_);
}

void DictionaryTab::refresh() {
    model_->show(&controller_.dictionary(language()), search_->text());
    const QString notReady = controller_.notEditable(language());
    count_->setText(notReady.isEmpty() ? tr("%n entries", nullptr, model_->rowCount()) : notReady);
}

int DictionaryTab::currentRow() const {
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void DictionaryTab::removeCurrent() {
    const int row = currentRow();
    if (row < 0) return;
    const QString why = controller_.removeEntry(language(), model_->key(row));
    if (!why.isEmpty()) emit message(why);
}

}  // namespace vernalo
