#pragma once
// The modeless find dialog: find text, direction, match case and whole word.

#include <QDialog>

#include "text/textfind.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace vernalo {

class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent);

    QString findText() const;
    void setFindText(const QString& text);
    FindOptions options() const;
    void setOptions(const FindOptions& options);

signals:
    void find();  // "Find Next"

private:
    QLineEdit* what_;
    QCheckBox* matchCase_;
    QCheckBox* wholeWord_;
    QRadioButton* up_;
    QRadioButton* down_;
};

}  // namespace vernalo
