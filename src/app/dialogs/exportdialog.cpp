#include "app/dialogs/exportdialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <memory>

namespace vernalo {

namespace {

struct Offered {
    const char* name;
    const char* suffix;
};
// The first is what a new export is offered as: small files for a phone.
const Offered kFormats[] = {
    {QT_TRANSLATE_NOOP("ExportDialog", "MP3"), "mp3"},
    {QT_TRANSLATE_NOOP("ExportDialog", "Ogg Opus"), "opus"},
    {QT_TRANSLATE_NOOP("ExportDialog", "Ogg Vorbis"), "ogg"},
    {QT_TRANSLATE_NOOP("ExportDialog", "FLAC"), "flac"},
    {QT_TRANSLATE_NOOP("ExportDialog", "WAV"), "wav"},
};

QString Filter(const Offered& f) {
    return QCoreApplication::translate("ExportDialog", f.name) + QStringLiteral(" (*.") +
           QLatin1String(f.suffix) + u')';
}

}  // namespace

std::optional<ExportChoice> AskExportFile(QWidget* parent, const QString& folder) {
    QStringList filters;
    for (const Offered& f : kFormats)
        filters << Filter(f);
    QFileDialog dialog(parent, QCoreApplication::translate("ExportDialog", "Export audio"), folder,
                       filters.join(QStringLiteral(";;")));
    dialog.setObjectName(QStringLiteral("exportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The split box goes into the dialog's own layout, which a desktop's dialog would not have.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix(QLatin1String(kFormats[0].suffix));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
        for (const Offered& o : kFormats)
            if (f == Filter(o)) dialog.setDefaultSuffix(QLatin1String(o.suffix));
    });
    auto* split = new QSpinBox(&dialog);
    split->setObjectName(QStringLiteral("splitMinutes"));
    split->setRange(0, 600);
    split->setSpecialValueText(QCoreApplication::translate("ExportDialog", "One file"));
    split->setSuffix(QCoreApplication::translate("ExportDialog", " min per file"));
    split->setAccessibleName(QCoreApplication::translate("ExportDialog", "Split into files of"));
    auto* label =
        new QLabel(QCoreApplication::translate("ExportDialog", "&Split into files of:"), &dialog);
    label->setBuddy(split);
    auto* chapters = new QCheckBox(
        QCoreApplication::translate("ExportDialog", "One file per &chapter"), &dialog);
    chapters->setObjectName(QStringLiteral("splitChapters"));
    chapters->setToolTip(QCoreApplication::translate(
        "ExportDialog", "Numbered files named after the chapters, with a playlist"));
    QObject::connect(chapters, &QCheckBox::toggled, split, &QWidget::setDisabled);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(split, row, 1);
        grid->addWidget(chapters, row, 2);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    QString path = dialog.selectedFiles().first();
    // A name ending in another format's suffix keeps it; any other gets the chosen filter's.
    if (!FormatForPath(QFileInfo(path).fileName().toStdString()))
        path += u'.' + dialog.defaultSuffix();
    return ExportChoice{path, chapters->isChecked() ? 0 : split->value(), chapters->isChecked()};
}

}  // namespace vernalo
