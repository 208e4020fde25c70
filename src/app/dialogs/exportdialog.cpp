#include "app/dialogs/exportdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <memory>

namespace vernalo {

namespace {

// A format's names are its own in every language ("MP3", "Ogg Opus").
QString Filter(const AudioFormat& f) {
    return QLatin1String(f.name) + QStringLiteral(" (*.") + QLatin1String(f.suffixes.front()) +
           u')';
}

}  // namespace

std::optional<ExportChoice> AskExportFile(QWidget* parent, const QString& folder,
                                          const QString& name) {
    QStringList filters;
    // The first format is what a new export is offered as: small files for a phone.
    const auto formats = AudioFormats();
    for (const AudioFormat* f : formats)
        filters << Filter(*f);
    QFileDialog dialog(parent, QCoreApplication::translate("ExportDialog", "Export audio"), folder,
                       filters.join(QStringLiteral(";;")));
    dialog.setObjectName(QStringLiteral("exportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The split box goes into the dialog's own layout, which a desktop's dialog would not have.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix(QLatin1String(formats.front()->suffixes.front()));
    if (!name.isEmpty()) dialog.selectFile(name);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, formats](const QString& f) {
                         for (const AudioFormat* o : formats)
                             if (f == Filter(*o))
                                 dialog.setDefaultSuffix(QLatin1String(o->suffixes.front()));
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
    auto* marks = new QCheckBox(
        QCoreApplication::translate("ExportDialog", "One file with chapter &marks"), &dialog);
    marks->setObjectName(QStringLiteral("chapterMarks"));
    marks->setToolTip(QCoreApplication::translate(
        "ExportDialog", "One file whose chapters players list (not WAV)"));
    // Either way of taking the chapters, or neither; both leave the length aside.
    const auto chaptersTaken = [split, chapters, marks](QCheckBox* other, bool on) {
        if (on) other->setChecked(false);
        split->setDisabled(chapters->isChecked() || marks->isChecked());
    };
    QObject::connect(chapters, &QCheckBox::toggled, split,
                     [chaptersTaken, marks](bool on) { chaptersTaken(marks, on); });
    QObject::connect(marks, &QCheckBox::toggled, split,
                     [chaptersTaken, chapters](bool on) { chaptersTaken(chapters, on); });
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(split, row, 1);
        grid->addWidget(chapters, row, 2);
        grid->addWidget(marks, row + 1, 2);
    }
    auto* subtitles = new QCheckBox(
        QCoreApplication::translate("ExportDialog", "Also write s&ubtitles"), &dialog);
    subtitles->setObjectName(QStringLiteral("writeSubtitles"));
    subtitles->setToolTip(QCoreApplication::translate(
        "ExportDialog",
        "The text of each sentence as it is heard, in a file beside each audio file"));
    // The formats' names are their own in every language.
    auto* subtitleFormat = new QComboBox(&dialog);
    subtitleFormat->setObjectName(QStringLiteral("subtitleFormat"));
    subtitleFormat->setAccessibleName(
        QCoreApplication::translate("ExportDialog", "Subtitle format"));
    subtitleFormat->addItem(QStringLiteral("SRT (*.srt)"), int(SubtitleFormat::Srt));
    subtitleFormat->addItem(QStringLiteral("WebVTT (*.vtt)"), int(SubtitleFormat::WebVtt));
    subtitleFormat->addItem(QStringLiteral("LRC (*.lrc)"), int(SubtitleFormat::Lrc));
    subtitleFormat->setEnabled(false);
    QObject::connect(subtitles, &QCheckBox::toggled, subtitleFormat, &QWidget::setEnabled);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        const int row = grid->rowCount();
        grid->addWidget(subtitles, row, 0);
        grid->addWidget(subtitleFormat, row, 1);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    QString path = dialog.selectedFiles().first();
    // A name ending in another format's suffix keeps it; any other gets the chosen filter's.
    if (!FormatForPath(QFileInfo(path).fileName().toStdString()))
        path += u'.' + dialog.defaultSuffix();
    const bool byChapters = chapters->isChecked() || marks->isChecked();
    ExportChoice choice{path, byChapters ? 0 : split->value(), chapters->isChecked(),
                        marks->isChecked(), {}};
    if (subtitles->isChecked())
        choice.subtitles = static_cast<SubtitleFormat>(subtitleFormat->currentData().toInt());
    return choice;
}

}  // namespace vernalo
