#pragma once
// The main window. Handlers carry the control names they serve and stay short: the work is
// done by the libraries (settings, documents, reading session, speech).

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/colors.h"
#include "app/settings.h"
#include "dict/dictionary.h"
#include "reading/segmenter.h"
#include "reading/session.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QSpinBox;
class QStackedWidget;
class QTabWidget;
class QTextDocument;
class QTextEdit;
class QTimer;
class QToolBar;
class QToolButton;

namespace vernalo {

class TBrowserPage;
class TFindDialog;
class TSpeechPage;
class TDCMinTray;

class TFormReader : public QMainWindow, public SessionView {
    Q_OBJECT
public:
    struct Options {
        std::string baseDir;       // empty: chosen as the program does at start
        bool showMessages = true;  // false: messages only go to onMessage (tests)
        // The two synthesizer controls; empty: the built-in engine on the audio device.
        std::function<std::pair<std::unique_ptr<TDirectSS>, std::unique_ptr<TDirectSS>>()> voices;
        // Where the shipped dictionaries are; empty: beside the installed program.
        QString dictionaryDir;
    };

    explicit TFormReader(Options options, QWidget* parent = nullptr);
    ~TFormReader() override;

    // Start-up after construction: settings, last text, voices, dictionaries. Problems are
    // collected and shown once by ShowStartupProblems, after the window is up.
    void FormCreate();
    void ShowStartupProblems();

    // Every message box text also goes here (tests read them).
    std::function<void(const QString&)> onMessage;

    // Handlers.
    void SBNewClick();
    void SBExitClick();
    void Button1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SBSayClick();
    void ChBRepSentMouseUp();
    void ChBRepWordMouseUp();
    void SBClipClick();
    void SBSaveClick();
    void SBOpenClick();
    void SBHTML2TXTClick();
    void Button2Click();
    void SpeedButton5Click();
    bool FindDialog1Find();  // true when a match was selected
    void HtmlToRtf();
    // The browser page (tformreader_browser.cpp).
    void PagesDocumentChange();
    void btnGOClick();
    void CppWebBrowser1ProgressChange(int progress, int maximum);
    void GetBrowserText();
    void OpenInBrowserPage(const QString& path);  // the browser road of Open
    TBrowserPage* browserPage() const { return browserPage_; }
    // Whole content of the editor to an RTF file, atomically.
    bool SaveEditorDocument(const std::string& path, std::string* error);
    void StartDictionaryLoader(const std::u16string& language);

    // Loads a document file into the editor as Open does (rich text, else plain text).
    bool OpenDocument(const QString& path);
    // Applies a font (and colour) to the editor as the font dialog does.
    void ApplyEditorFont(const QFont& font, TColor color);

    // Window state shared by the handlers.
    bool SettingsChanged = false;
    bool TextChanged = false;
    std::string BaseDir;
    DictStore dictionaries;

    Segmenter& segmenter() { return segmenter_; }
    // Either voice still speaking.
    bool DSpeaking() const;
    TReadingSession* session() { return session_.get(); }
    QTextEdit* memoText() const { return MemoText; }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    int editorLineCount() const;

    // SessionView.
    std::u16string EditorText() const override;
    long SelectionStart() const override;
    void SetSelection(long start, long length) override;
    void SetReadOnly(bool readOnly) override;
    void ScrollSelectionIntoView() override;
    long CaretColumn() const override;
    long CaretLine() const override;
    bool SayDown() const override;
    void ReleaseSay() override;
    void SetSayGlyphs(int count) override;
    bool RepeatDown() const override;
    bool SentenceMode() const override;
    int RepeatRU() const override;
    int RepeatEN() const override;
    void SetStatusText(int panel, const std::u16string& text) override;
    bool BrowserPageActive() const override;
    void ImportBrowserPage() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setupToolbars();
    void setupSettingsPages();
    void setupOptionsPage(QWidget* page);
    void setupFontPage(QWidget* page);
    void setupDocumentPages();
    void setupStatusBar();
    void setupSession();
    // Builds the address bar into TSheeHTML; the browser itself comes on first use.
    void setupBrowserPage();
    // Shows the address list FormCreate read, and the address box's text.
    void showUrlsInBrowserPage(const std::u16string& addressText);
    QToolButton* addButton(QToolBar* bar, const char* name, const QString& hint, const char* theme,
                           const char* icon, void (TFormReader::*handler)());

    void FormActivate();
    void FormClose();
    void showMessage(const QString& text);
    void refreshCaretPanels();
    void refreshLineCount();
    void setEditorDocumentFromBytes(const QByteArray& bytes);
    // Fills a new document and gives it to the editor; false (editor unchanged) when `fill` fails.
    bool replaceEditorDocument(const std::function<bool(QTextDocument&)>& fill);
    void watchEditorDocument();
    // The editor's text was replaced while Say is down: the reading stops, as releasing Say does.
    void stopReadingReplacedText();
    void showFontInControls(const QFont& font, TColor color);
    ReaderSettings collectSettings() const;
    void selectSettingsPage(int index, QToolButton* button);

    Options options_;
    bool closed_ = false;
    std::vector<std::u16string> urls_;  // the address list, kept for the settings file
    std::vector<QString> startupProblems_;
    TColor fontColor_ = clWindowText;
    QFont lastDialogFont_;
    TColor lastDialogColor_ = clWindowText;

    Segmenter segmenter_{dictionaries};
    std::unique_ptr<TReadingSession> session_;
    QTimer* sessionTimer_ = nullptr;

    // Controls, named as the program names them.
    QToolBar* ToolBar5 = nullptr;
    QToolBar* ToolBar2 = nullptr;
    QToolBar* TBarExit = nullptr;
    QToolButton *SBNew = nullptr, *SBSave = nullptr, *SBOpen = nullptr, *SBClip = nullptr;
    QToolButton *SBHTML2TXT = nullptr, *SpeedButton5 = nullptr, *SBSay = nullptr,
                *SBRepeat = nullptr;
    QToolButton *SpeedButton3 = nullptr, *SpeedButton2 = nullptr, *SpeedButton1 = nullptr;
    QToolButton* SBExit = nullptr;
    QStackedWidget* PageControl1 = nullptr;
    TSpeechPage* speechPage_ = nullptr;
    QCheckBox *ChBRepWord = nullptr, *ChBRepSent = nullptr;
    QSpinBox *EdRURep = nullptr, *EdENRep = nullptr;
    QLineEdit *EdFontName = nullptr, *EdFontSize = nullptr, *EdFontColor = nullptr;
    QTabWidget* PagesDocument = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TSheeHTML = nullptr;
    QLineEdit* STextFileName = nullptr;
    QTextEdit* MemoText = nullptr;
    std::vector<QLabel*> panels_;
    QProgressBar* ProgressBar1 = nullptr;
    QPointer<TFindDialog> FindDialog1;
    TDCMinTray* DCMinTray = nullptr;
    TBrowserPage* browserPage_ = nullptr;
    bool pageChangeFromCode_ = false;  // switching pages from code runs no PagesDocumentChange
};

// Texts the program shows.
inline const char kStartupProblem[] = "You have very very big problems! :)";
inline const char kCloseProblem[] = "With searching comes loss And the presence of absence: ";

}  // namespace vernalo
