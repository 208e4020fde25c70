#include "app/controllers/windowpersistence.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPalette>
#include <QTextDocument>
#include <filesystem>

#include "app/controllers/readingcontroller.h"
#include "app/dialogs/editorfont.h"
#include "app/pages/fontpage.h"
#include "app/pages/optionspage.h"
#include "app/pages/settingspages.h"
#include "app/pages/speechpage.h"
#include "app/window/documentpages.h"
#include "app/window/logging.h"
#include "app/window/oddtexts.h"
#include "app/window/qtext.h"
#include "app/window/statusbar.h"
#include "app/window/texteditor.h"
#include "browser/browserpage.h"
#include "documents/qt/documentio.h"
#include "settings/inifile.h"
#include "text/fileio.h"

namespace vernalo {

WindowPersistence::WindowPersistence(const WindowParts& parts, ReadingController& reading,
                                     std::string baseDir, Autosave::Timing autosave,
                                     QObject* parent)
    : QObject(parent),
      parts_(parts),
      reading_(reading),
      requestedBaseDir_(std::move(baseDir)),
      timing_(autosave) {
    connect(parts_.browser(), &BrowserPage::urlsChanged, this, [this] {
        urls_ = parts_.browser()->urls();
        // The list lives only in the settings file: a change left unwritten would be lost.
        settingsChanged_ = true;
    });
    connect(parts_.settings.speech(), &SpeechPage::settingsChanged, this,
            [this] { settingsChanged_ = true; });
    connect(parts_.settings.options(), &OptionsPage::markWordChanged, this,
            [this] { settingsChanged_ = true; });
    connect(parts_.settings.options(), &OptionsPage::pauseAfterChanged, this,
            [this] { settingsChanged_ = true; });
}

void WindowPersistence::startUp() {
    settingsChanged_ = false;
    textChanged_ = false;
    reading_.setReadingPosition(0);
    startupProblems_.clear();

    baseDir_ = requestedBaseDir_.empty()
                   ? ResolveBaseDir(QDir::currentPath().toStdString(), std::getenv("XDG_DATA_HOME"),
                                    std::getenv("HOME"))
                   : requestedBaseDir_;
    delete autosave_;
    autosave_ = new Autosave(
        [this] { return static_cast<const QTextDocument*>(parts_.editor()->document()); },
        TextPath(baseDir_), timing_, this);
    connect(autosave_, &Autosave::writeFailed, this, [this](const QString& error) {
        parts_.messages.show(tr("The text could not be saved automatically: %1").arg(error));
    });

    IniFile ini;
    std::string error;
    if (!IniFile::load(SettingsPath(baseDir_), ini, &error))
        startupProblems_.push_back(QString::fromStdString(error));
    std::vector<std::string> badKeys;
    ReaderSettings s = ReadSettings(ini, &badKeys);
    for (const auto& key : badKeys)
        startupProblems_.push_back(
            tr("Bad value for %1 in %2")
                .arg(QString::fromStdString(key), QString::fromStdString(SettingsPath(baseDir_))));
    parts_.status.showCaret(s.posX, s.posY);
    parts_.settings.options()->setMarkWord(s.markWord);
    readCopied_ = s.readCopied;
    emit readCopiedChanged(readCopied_);
    contentsShown_ = s.showContents;
    parts_.settings.options()->setPauseAfter(s.pauseAfter);
    // The file keeps the selection start, where the caret comes back.
    reading_.setReadingPosition(s.position);
    // A new user reads in the desktop's own font, which is easier to follow than a small one.
    QFont font = s.fontName.empty() ? QApplication::font() : QFont(ToQString(s.fontName));
    if (s.fontSize > 0) font.setPointSize(s.fontSize);
    applyEditorFont(font, s.fontColor);
    urls_ = s.urls;
    parts_.browser()->setUrls(urls_, s.urlEditText);
    recentFiles_ = s.recentFiles;
    if (recentFiles_.size() > kRecentFiles) recentFiles_.resize(kRecentFiles);
    emit recentFilesChanged();

    loadLastText();
    parts_.status.showLineCount(parts_.editor()->lineCount());

    PerLanguage<QString> voices, speeds;
    for (Language l : kLanguages) {
        voices[l] = ToQString(s.voice[l]);
        speeds[l] = ToQString(s.speed[l]);
    }
    const SpeechPage::Restored restored = parts_.settings.speech()->restore(voices, speeds);
    if (!restored.problem.isEmpty()) startupProblems_.push_back(restored.problem);
    for (Language l : kLanguages)
        if (restored.loadDictionary[l]) reading_.startDictionaryLoader(l, baseDir_);
    for (const QString& problem : startupProblems_)
        qCWarning(lcApp) << "start-up:" << problem;
}

void WindowPersistence::loadLastText() {
    // A missing last text is a first start, not a problem.
    const std::string textPath = TextPath(baseDir_);
    if (!FileExists(textPath)) return;
    std::string bytes, error;
    if (ReadWholeFile(textPath, bytes, &error))
        parts_.editor()->loadDocument([&](QTextDocument& doc) {
            LoadDocumentBytes(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), doc);
            return true;
        });
    else
        startupProblems_.push_back(QString::fromStdString(error));
}

void WindowPersistence::showStartupProblems() {
    // The first line as it always was; below it, what went wrong and where.
    if (startupProblems_.empty()) return;
    QStringList details(startupProblems_.begin(), startupProblems_.end());
    details.removeDuplicates();
    parts_.messages.show(tr(kStartupProblem) + QStringLiteral("\n\n") + details.join(u'\n'));
}

void WindowPersistence::markTextChanged() {
    textChanged_ = true;
    if (autosave_) autosave_->changed();
}

void WindowPersistence::applyEditorFont(const QFont& font, ColorCode color) {
    fontColor_ = color;
    TextEditor* editor = parts_.editor();
    editor->document()->setDefaultFont(font);
    editor->setFont(font);
    QPalette p = editor->palette();
    p.setColor(QPalette::Text, DisplayColor(color, parts_.window->palette()));
    editor->setPalette(p);
    parts_.settings.font()->showFont(font, color);
}

void WindowPersistence::rememberRecentFile(const QString& path) {
    const std::u16string p = QFileInfo(path).absoluteFilePath().toStdU16String();
    std::erase(recentFiles_, p);
    recentFiles_.insert(recentFiles_.begin(), p);
    if (recentFiles_.size() > kRecentFiles) recentFiles_.resize(kRecentFiles);
    settingsChanged_ = true;
    emit recentFilesChanged();
}

void WindowPersistence::setReadCopied(bool on) {
    if (on == readCopied_) return;
    readCopied_ = on;
    settingsChanged_ = true;
    emit readCopiedChanged(on);
}

void WindowPersistence::clearRecentFiles() {
    recentFiles_.clear();
    settingsChanged_ = true;
    emit recentFilesChanged();
}

ReaderSettings WindowPersistence::collectSettings() const {
    ReaderSettings s;
    SpeechPage* speech = parts_.settings.speech();
    for (Language l : kLanguages) {
        s.voice[l] = speech->voiceName(l).toStdU16String();
        s.speed[l] = QString::number(speech->speed(l)).toStdU16String();
    }
    const TextEditor* editor = parts_.editor();
    const QFont f = editor->document()->defaultFont();
    s.fontName = f.family().toStdU16String();
    s.fontSize = f.pointSize() > 0 ? f.pointSize() : 8;
    s.fontColor = fontColor_;
    s.markWord = parts_.settings.options()->markWord();
    s.readCopied = readCopied_;
    s.showContents = contentsShown_;
    s.pauseAfter = parts_.settings.options()->pauseAfter();
    s.position = static_cast<int>(editor->selectionStart());
    s.posX = static_cast<int>(editor->caretColumn());
    s.posY = static_cast<int>(editor->caretLine());
    s.urls = urls_;
    s.recentFiles = recentFiles_;
    return s;
}

void WindowPersistence::saveOnClose() {
    reading_.close();
    // A write under way ends first, so the older text never lands over the newer one.
    if (autosave_) autosave_->stop();
    // Autosave may have written every change already.
    const bool writeText = textChanged_ && (!autosave_ || !autosave_->upToDate());
    const std::string dataDir = baseDir_ + "/data";
    std::error_code ec;
    if ((settingsChanged_ || writeText) && !std::filesystem::is_directory(dataDir, ec) &&
        !std::filesystem::create_directories(dataDir, ec)) {
        qCWarning(lcApp) << "cannot make" << dataDir.c_str() << ec.message().c_str();
        showCloseProblem(dataDir, ec.message());
        return;
    }
    // Each file is written whole or not at all; one failing does not keep the other from being
    // saved.
    std::string error;
    if (settingsChanged_) {
        const std::string path = SettingsPath(baseDir_);
        IniFile ini;
        bool ok = IniFile::load(path, ini, &error);
        if (ok) {
            WriteSettings(ini, collectSettings());
            ok = ini.save(path, &error);
        }
        if (!ok) {
            qCWarning(lcApp) << "cannot write" << path.c_str() << error.c_str();
            showCloseProblem(path, error);
        }
    }
    if (writeText) {
        const std::string path = TextPath(baseDir_);
        const DocumentResult r =
            SaveDocumentFile(*parts_.editor()->document(), QString::fromStdString(path));
        if (r.ok) {
            if (autosave_) autosave_->markSaved();
        } else {
            qCWarning(lcApp) << "cannot write" << path.c_str() << r.error;
            showCloseProblem(path, r.error.toStdString());
        }
    }
}

void WindowPersistence::showCloseProblem(const std::string& path, const std::string& reason) {
    QString text = tr(kCloseProblem) + QString::fromStdString(path);
    if (!reason.empty()) text += QStringLiteral("\n\n") + QString::fromStdString(reason);
    parts_.messages.show(text);
}

}  // namespace vernalo
