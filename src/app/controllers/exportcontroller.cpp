#include "app/controllers/exportcontroller.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "app/controllers/exportrun.h"
#include "app/controllers/readingcontroller.h"
#include "app/dialogs/exportdialog.h"
#include "app/pages/settingspages.h"
#include "app/pages/speechpage.h"
#include "app/window/documentpages.h"
#include "app/window/readingview.h"
#include "app/window/statusbar.h"
#include "app/window/texteditor.h"
#include "app/window/toolbarrow.h"
#include "documents/qt/documentheadings.h"
#include "documents/qt/documentio.h"
#include "export/exportplan.h"

namespace vernalo {

namespace {

// The language's name inside the note about a voice that cannot write files; translated with
// the note, which the untranslated core name would leave half English.
const char* NoteLanguageName(Language l) {
    return l == Language::Russian ? QT_TRANSLATE_NOOP("vernalo::ExportController", "Russian")
                                  : QT_TRANSLATE_NOOP("vernalo::ExportController", "English");
}

}  // namespace

ExportController::ExportController(const WindowParts& parts, ReadingController& reading,
                                   QObject* parent)
    : QObject(parent), parts_(parts), reading_(reading) {}

QString ExportController::suggestedName(QString* folder) const {
    // The folder chosen last time, else the document's own; the document's title as the name.
    const QFileInfo document(parts_.documents.fileName()->text());
    const bool fromFile = document.isAbsolute() && document.isFile();
    *folder = lastExportFolder_;
    if (folder->isEmpty()) *folder = fromFile ? document.absolutePath() : QDir::homePath();
    QString name = DocumentTitle(*parts_.editor()->document());
    if (name.trimmed().isEmpty() && fromFile) name = document.completeBaseName();
    return QString::fromStdString(SafeFileName(name.toStdString()));
}

void ExportController::exportAudio() {
    if (exportRun_ && exportRun_->running()) return;
    QString folder;
    const QString name = suggestedName(&folder);
    const auto choice = AskExportFile(parts_.window, folder, name);
    if (!choice) return;
    lastExportFolder_ = QFileInfo(choice->path).absolutePath();
    startExport(choice->path, choice->splitMinutes, choice->byChapter, choice->chapterMarks,
                choice->subtitles);
}

void ExportController::showExporting(bool running) {
    parts_.toolBars.action(Command::Export)->setEnabled(!running);
    cancelShortcut_->setEnabled(running);
}

bool ExportController::exporting() const {
    return exportRun_ && exportRun_->running();
}

void ExportController::cancelExport() {
    if (exporting()) exportRun_->cancel();
}

void ExportController::setUp() {
    exportRun_ = new ExportRun(this);
    exportCancel_ = new QPushButton(tr("Cancel export"), &parts_.status);
    exportCancel_->setObjectName(QStringLiteral("cancelExportButton"));
    exportCancel_->hide();
    parts_.status.addPermanentWidget(exportCancel_);
    // Esc is the window's only while an export runs.
    cancelShortcut_ = new QShortcut(QKeySequence(Qt::Key_Escape), parts_.window);
    cancelShortcut_->setObjectName(QStringLiteral("cancelExportShortcut"));
    cancelShortcut_->setContext(Qt::WindowShortcut);
    connect(cancelShortcut_, &QShortcut::activated, this, &ExportController::cancelExport);
    connect(exportCancel_, &QPushButton::clicked, this, &ExportController::cancelExport);
    connect(exportRun_, &ExportRun::progress, this, &ExportController::showProgress);
    connect(exportRun_, &ExportRun::finished, this, &ExportController::exportFinished);
}

namespace {

// The headings of the text exported, counted from its start (a selection's).
std::vector<HeadingMark> HeadingMarks(const QTextDocument& doc, long from) {
    std::vector<HeadingMark> marks;
    for (const DocumentHeading& h : DocumentHeadings(doc))
        marks.push_back({h.position - from, h.level, h.title.toStdString()});
    return marks;
}

}  // namespace

bool ExportController::startExport(const QString& path, int splitMinutes, bool byChapter,
                                   bool chapterMarks, std::optional<SubtitleFormat> subtitles) {
    if (exporting()) return false;
    const AudioFormat* format = FormatForPath(QFileInfo(path).fileName().toStdString());
    if (chapterMarks && format && !format->chapters) {
        QStringList holding;
        for (const AudioFormat* f : AudioFormats())
            if (f->chapters) holding << u'.' + QLatin1String(f->suffixes.front());
        parts_.messages.show(tr("%1 files cannot hold chapter marks; export to %2 instead.")
                                 .arg(QLatin1String(format->name), holding.join(u", ")));
        return false;
    }
    if (!exportRun_) setUp();
    // A copy of the text and the settings as they are now: the user may go on editing.
    ExportRequest request;
    const std::u16string text = parts_.editor()->readingText();
    const QTextCursor cursor = parts_.editor()->textCursor();
    const auto from = static_cast<std::size_t>(std::max(0, cursor.selectionStart()));
    const auto to = std::min(text.size(), static_cast<std::size_t>(cursor.selectionEnd()));
    const bool part = cursor.hasSelection() && from < to;
    request.text = part ? text.substr(from, to - from) : text;
    const QTextDocument& doc = *parts_.editor()->document();
    const std::vector<HeadingMark> headings = HeadingMarks(doc, part ? static_cast<long>(from) : 0);
    if (byChapter || chapterMarks) {
        CutByChapters(request, headings, DocumentTitle(doc).toStdString(),
                      QFileInfo(path).completeBaseName().toStdString());
        request.chapterMarks = chapterMarks;
    }
    TagBook(request, DocumentTitle(doc).toStdString(), DocumentBook(doc));
    prepare(request, path);
    request.splitMinutes = splitMinutes;
    trackProgress(path, request, headings);
    if (!exportRun_->start(std::move(request), reading_.dictionaries(), subtitles)) return false;
    showStarted(path);
    return true;
}

void ExportController::exportBook() {
    if (exporting()) return;
    QString folder;
    const QString name = suggestedName(&folder);
    const QString offered =
        name.isEmpty() ? folder : QDir(folder).filePath(name + QStringLiteral(".epub"));
    QString path = QFileDialog::getSaveFileName(parts_.window, tr("Export read-along book"),
                                                offered, tr("EPUB books (*.epub)"));
    if (path.isEmpty()) return;
    if (!IsReadAlongBookPath(path.toStdString())) path += QStringLiteral(".epub");
    lastExportFolder_ = QFileInfo(path).absolutePath();
    startBook(path);
}

bool ExportController::startBook(const QString& path) {
    if (exporting()) return false;
    if (!exportRun_) setUp();
    // The whole document as it is now, its paragraphs, emphasis and headings with its text.
    ReadAlongRequest book;
    const QTextDocument& doc = *parts_.editor()->document();
    book.document = DocumentToModel(doc);
    book.audio.text = book.document.plainText();
    TagBook(book.audio, DocumentTitle(doc).toStdString(), DocumentBook(doc));
    book.author = book.audio.book.author;
    prepare(book.audio, path);
    trackProgress(path, book.audio, HeadingMarks(doc, 0));
    if (!exportRun_->startBook(std::move(book), reading_.dictionaries())) return false;
    showStarted(path);
    return true;
}

void ExportController::prepare(ExportRequest& request, const QString& path) {
    request.options = reading_.view().options();
    request.options.repeatText = false;
    request.path = QDir::toNativeSeparators(path).toStdString();
    exportNote_.clear();
    SpeechPage* speech = parts_.settings.speech();
    for (Language l : kLanguages) {
        const QString name = speech->voiceName(l);
        const ExportVoiceChoice choice =
            ExportVoiceFor(name.toStdU16String(), l, speech->voice(l).speed());
        request.voices[l] = choice.voice;
        if (choice.replacedBy && request.options.voiceOn[l])
            exportNote_ += tr(" %1 cannot write files; %2 read the %3 text instead.")
                               .arg(name, QString::fromStdU16String(*choice.replacedBy),
                                    tr(NoteLanguageName(l)));
    }
}

void ExportController::trackProgress(const QString& path, const ExportRequest& request,
                                     const std::vector<HeadingMark>& headings) {
    // What the status tells as it goes: the chapter being written (the book's top-level
    // headings, as the chapter exports take them) and the time left.
    exportName_ = QFileInfo(path).fileName();
    exportLength_ = static_cast<long>(request.text.size());
    exportChapters_ = request.chapters.empty()
                          ? TopLevelChapters(headings, request.text, std::string())
                          : request.chapters;
    exportClock_.start();
}

void ExportController::showStarted(const QString& path) {
    parts_.status.progress()->setRange(0, 100);
    parts_.status.progress()->setValue(0);
    parts_.status.setText(StatusPanel::Activity,
                          tr("Exporting %1...").arg(QFileInfo(path).fileName()));
    exportCancel_->show();
    showExporting(true);
}

void ExportController::showProgress(int percent) {
    const long done = exportLength_ * percent / 100;
    std::string chapter;
    for (const ExportChapter& c : exportChapters_)
        if (c.start <= done) chapter = c.title;
    QString text =
        chapter.empty()
            ? tr("Exporting %1...").arg(exportName_)
            : tr("Exporting %1: %2...").arg(exportName_, QString::fromStdString(chapter));
    // Told once the pace is known.
    const qint64 elapsed = exportClock_.elapsed();
    if (percent > 0 && elapsed > 2000) {
        const qint64 left = elapsed * (100 - percent) / percent / 1000;
        text += tr(" Time left: %1.")
                    .arg(QStringLiteral("%1:%2").arg(left / 60).arg(left % 60, 2, 10,
                                                                    QLatin1Char('0')));
    }
    parts_.status.setText(StatusPanel::Activity, text);
    parts_.status.progress()->setValue(percent);
}

void ExportController::exportFinished(const ExportResult& result) {
    exportCancel_->hide();
    showExporting(false);
    parts_.status.progress()->setValue(0);
    if (result.cancelled) {
        parts_.status.setText(StatusPanel::Activity, tr("Export cancelled"));
        return;
    }
    if (!result.ok) {
        const QString error = QString::fromStdString(result.error);
        parts_.status.setText(StatusPanel::Activity, tr("Export failed"));
        parts_.messages.show(tr("The audio could not be exported: %1").arg(error));
        return;
    }
    QStringList files;
    for (const auto& f : result.files)
        files << QString::fromStdString(f);
    QString where = files.size() == 1 ? tr("Exported to %1").arg(files.first())
                                      : tr("Exported to %1 files: %2 ... %3")
                                            .arg(files.size())
                                            .arg(files.first(), files.last());
    if (!result.playlist.empty())
        where += tr(" Playlist: %1").arg(QString::fromStdString(result.playlist));
    const QString empty =
        result.seconds > 0 ? QString() : tr(" Nothing in the text was spoken: it holds no sound.");
    parts_.status.setText(StatusPanel::Activity, where + empty + exportNote_);
}

}  // namespace vernalo
