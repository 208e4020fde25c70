// Export audio: the text as Say would read it, written to sound files while the window goes on.

#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTextCursor>
#include <algorithm>

#include "app/dialogs/exportdialog.h"
#include "app/pages/speechpage.h"
#include "app/window/mainwindow.h"
#include "speech/espeakengine.h"

namespace vernalo {

void MainWindow::exportAudio() {
    if (exportRun_ && exportRun_->running()) return;
    const QString folder = lastExportFolder_.isEmpty() ? QDir::homePath() : lastExportFolder_;
    const auto choice = AskExportFile(this, folder);
    if (!choice) return;
    lastExportFolder_ = QFileInfo(choice->path).absolutePath();
    startExport(choice->path, choice->splitMinutes);
}

void MainWindow::showExporting(bool running) {
    toolBars_->action(Command::Export)->setEnabled(!running);
    findChild<QShortcut*>(QStringLiteral("cancelExportShortcut"))->setEnabled(running);
}

bool MainWindow::exporting() const {
    return exportRun_ && exportRun_->running();
}

void MainWindow::cancelExport() {
    if (exporting()) exportRun_->cancel();
}

bool MainWindow::startExport(const QString& path, int splitMinutes) {
    if (exporting()) return false;
    if (!exportRun_) {
        exportRun_ = new ExportRun(this);
        exportCancel_ = new QPushButton(tr("Cancel export"), statusBar_);
        exportCancel_->setObjectName(QStringLiteral("cancelExportButton"));
        exportCancel_->hide();
        statusBar_->addPermanentWidget(exportCancel_);
        // Esc is the window's only while an export runs.
        auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        esc->setObjectName(QStringLiteral("cancelExportShortcut"));
        esc->setContext(Qt::WindowShortcut);
        connect(esc, &QShortcut::activated, this, &MainWindow::cancelExport);
        connect(exportCancel_, &QPushButton::clicked, this, &MainWindow::cancelExport);
        connect(exportRun_, &ExportRun::progress, this,
                [this](int percent) { statusBar_->progress()->setValue(percent); });
        connect(exportRun_, &ExportRun::finished, this, &MainWindow::exportFinished);
    }
    // A copy of the text and the settings as they are now: the user may go on editing.
    ExportRequest request;
    const std::u16string text = editor()->readingText();
    const QTextCursor cursor = editor()->textCursor();
    const auto from = static_cast<std::size_t>(std::max(0, cursor.selectionStart()));
    const auto to = std::min(text.size(), static_cast<std::size_t>(cursor.selectionEnd()));
    request.text = cursor.hasSelection() && from < to ? text.substr(from, to - from) : text;
    request.options = readingView_->options();
    request.options.repeatText = false;
    request.path = QDir::toNativeSeparators(path).toStdString();
    request.splitMinutes = splitMinutes;
    exportNote_.clear();
    SpeechPage* speech = settingsPages_->speech();
    for (Language l : kLanguages) {
        const QString name = speech->voiceName(l);
        int mode = EspeakVoice::FindSpeaker(name.toStdU16String());
        const auto& modes = EspeakEngine::Instance().Modes();
        if (mode == 0 && !modes.empty()) {
            // The language's first built-in voice reads instead.
            mode = std::max(1, FirstModeOf(
                                   static_cast<int>(modes.size()),
                                   [&modes](int n) { return modes[n - 1].Name; }, l));
            if (request.options.voiceOn[l] && !name.isEmpty())
                exportNote_ += tr(" %1 cannot write files; %2 read the %3 text instead.")
                                   .arg(name, QString::fromStdU16String(modes[mode - 1].Speaker),
                                        tr(languageName(l)));
        }
        request.voices[l].mode = std::max(mode, 1);
        request.voices[l].speed = std::clamp(speech->voice(l).Speed(), kMinSpeed, kMaxSpeed);
    }
    if (!exportRun_->start(std::move(request), dictionaries_)) return false;
    statusBar_->progress()->setRange(0, 100);
    statusBar_->progress()->setValue(0);
    statusBar_->setText(StatusPanel::Activity,
                        tr("Exporting %1...").arg(QFileInfo(path).fileName()));
    exportCancel_->show();
    showExporting(true);
    return true;
}

void MainWindow::exportFinished(const ExportResult& result) {
    exportCancel_->hide();
    showExporting(false);
    statusBar_->progress()->setValue(0);
    if (result.cancelled) {
        statusBar_->setText(StatusPanel::Activity, tr("Export cancelled"));
        return;
    }
    if (!result.ok) {
        const QString error = QString::fromStdString(result.error);
        statusBar_->setText(StatusPanel::Activity, tr("Export failed"));
        showMessage(tr("The audio could not be exported: %1").arg(error));
        return;
    }
    QStringList files;
    for (const auto& f : result.files)
        files << QString::fromStdString(f);
    const QString where = files.size() == 1 ? tr("Exported to %1").arg(files.first())
                                            : tr("Exported to %1 files: %2 ... %3")
                                                  .arg(files.size())
                                                  .arg(files.first(), files.last());
    const QString empty =
        result.seconds > 0 ? QString() : tr(" Nothing in the text was spoken: it holds no sound.");
    statusBar_->setText(StatusPanel::Activity, where + empty + exportNote_);
}

}  // namespace vernalo
