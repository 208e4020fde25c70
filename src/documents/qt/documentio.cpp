#include "documents/qt/documentio.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>
#include <QTextTable>

#include <cmath>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "documents/qt/documentheadings.h"
#include "documents/read.h"
#include "documents/rtf/rtfreader.h"
#include "documents/rtf/rtfwriter.h"
#include "text/documenttext.h"
#include "text/fileio.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

// Indents are twips in the file and pixels at 96 dpi in the document.
constexpr double kTwipsPerPixel = 15.0;

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QString ToQString(std::u16string_view s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

std::u16string ToU16(const QString& s) {
    return {reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size())};
}

QTextBlockFormat QtBlockFormat(const ParagraphFormat& f) {
    QTextBlockFormat b;
    switch (f.align) {
        case Alignment::Left:
            break;
        case Alignment::Center:
            b.setAlignment(Qt::AlignHCenter);
            break;
        case Alignment::Right:
            b.setAlignment(Qt::AlignRight);
            break;
        case Alignment::Justify:
            b.setAlignment(Qt::AlignJustify);
            break;
    }
    if (f.leftIndent) b.setLeftMargin(f.leftIndent / kTwipsPerPixel);
    if (f.rightIndent) b.setRightMargin(f.rightIndent / kTwipsPerPixel);
    if (f.firstIndent) b.setTextIndent(f.firstIndent / kTwipsPerPixel);
    return b;
}

ParagraphFormat ModelParagraphFormat(const QTextBlockFormat& b) {
    ParagraphFormat f;
    Qt::Alignment a = b.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter) {
        f.align = Alignment::Center;
    } else if (a & Qt::AlignJustify) {
        f.align = Alignment::Justify;
    } else if (a & (Qt::AlignRight | Qt::AlignTrailing)) {
        f.align = Alignment::Right;
    }
    f.leftIndent = static_cast<int>(std::lround(b.leftMargin() * kTwipsPerPixel));
    f.rightIndent = static_cast<int>(std::lround(b.rightMargin() * kTwipsPerPixel));
    f.firstIndent = static_cast<int>(std::lround(b.textIndent() * kTwipsPerPixel));
    return f;
}

QTextCharFormat QtCharFormat(const CharFormat& f, const QStringList& fonts) {
    QTextCharFormat c;
    if (f.font >= 0 && f.font < fonts.size()) c.setFontFamilies(QStringList{fonts[f.font]});
    if (f.halfPoints > 0) c.setFontPointSize(f.halfPoints / 2.0);
    if (f.bold) c.setFontWeight(QFont::Bold);
    if (f.italic) c.setFontItalic(true);
    if (f.underline) c.setFontUnderline(true);
    if (f.strike) c.setFontStrikeOut(true);
    if (f.color >= 0) c.setForeground(QColor(QRgb(static_cast<unsigned>(f.color))));
    if (f.background >= 0) c.setBackground(QColor(QRgb(static_cast<unsigned>(f.background))));
    return c;
}

std::int32_t BrushColour(const QTextCharFormat& c, QTextFormat::Property p) {
    if (!c.hasProperty(p)) return -1;
    QBrush brush = c.brushProperty(p);
    if (brush.style() == Qt::NoBrush) return -1;
    return static_cast<std::int32_t>(brush.color().rgb() & 0xFFFFFF);
}

class FontList {
public:
    explicit FontList(RichDocument& model) : model_(model) {}
    int index(const QString& family) {
        auto it = index_.constFind(family);
        if (it != index_.constEnd()) return *it;
        int i = static_cast<int>(model_.fonts.size());
        model_.fonts.push_back(ToU16(family));
        index_.insert(family, i);
        return i;
    }

private:
    RichDocument& model_;
    QHash<QString, int> index_;
};

CharFormat ModelCharFormat(const QTextCharFormat& c, FontList& fonts) {
    CharFormat f;
    if (c.hasProperty(QTextFormat::FontFamilies)) {
        QStringList families = c.fontFamilies().toStringList();
        if (!families.isEmpty() && !families.front().isEmpty())
            f.font = fonts.index(families.front());
    } else if (c.hasProperty(QTextFormat::FontFamily)) {
        f.font = fonts.index(c.stringProperty(QTextFormat::FontFamily));
    }
    if (c.hasProperty(QTextFormat::FontPointSize))
        f.halfPoints = static_cast<int>(std::lround(c.fontPointSize() * 2));
    f.bold = c.fontWeight() >= QFont::DemiBold;
    f.italic = c.fontItalic();
    f.underline = c.fontUnderline();
    f.strike = c.fontStrikeOut();
    f.color = BrushColour(c, QTextFormat::ForegroundBrush);
    f.background = BrushColour(c, QTextFormat::BackgroundBrush);
    return f;
}

}  // namespace

bool IsRtf(const QByteArray& bytes) {
    return IsRtf(View(bytes));
}

void ModelToDocument(const RichDocument& model, QTextDocument& doc) {
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);  // a load is not an edit to undo, and undo data costs time
    QStringList fonts;
    fonts.reserve(static_cast<qsizetype>(model.fonts.size()));
    for (const std::u16string& f : model.fonts)
        fonts << ToQString(f);

    // Clearing inside the edit block makes the load one change from an empty document,
    // which an editor's layout then lays out step by step instead of all at once.
    QTextCursor block(&doc);
    block.beginEditBlock();
    doc.clear();
    QTextCursor cursor(&doc);
    // The model holds each distinct format once; building each QTextCharFormat once saves
    // time when the format changes every few words.
    std::unordered_map<const CharFormat*, QTextCharFormat> formats;
    auto formatOf = [&](const CharFormat& f) -> const QTextCharFormat& {
        auto it = formats.find(&f);
        if (it == formats.end()) it = formats.emplace(&f, QtCharFormat(f, fonts)).first;
        return it->second;
    };
    bool first = true;
    // A heading goes on the block its position falls in, the first one there only.
    std::size_t heading = 0;
    const auto markHeadingsBefore = [&](std::size_t end) {
        bool marked = false;
        for (; heading < model.headings.size() && model.headings[heading].position < end;
             ++heading) {
            if (!marked) MarkHeadingBlock(cursor, model.headings[heading]);
            marked = true;
        }
    };
    model.forEach(
        [&](const RichDocument::ParagraphView& para) {
            if (first) {
                cursor.setBlockFormat(QtBlockFormat(para.format));
                first = false;
            } else {
                markHeadingsBefore(para.textStart);
                cursor.insertBlock(QtBlockFormat(para.format), QTextCharFormat());
            }
        },
        [&](const RichDocument::RunView& run) {
            cursor.insertText(ToQString(run.text), formatOf(run.format));
        });
    markHeadingsBefore(std::numeric_limits<std::size_t>::max());
    SetDocumentTitle(doc, model.title);
    SetDocumentBook(doc, model.book);
    block.endEditBlock();
    doc.setUndoRedoEnabled(undo);
    doc.setModified(false);
}

namespace {

// What a list item shows before its text: its number, or a bullet.
QString ListLabel(const QTextBlock& block) {
    QTextList* list = block.textList();
    if (!list) return {};
    QString label;
    switch (list->format().style()) {
        case QTextListFormat::ListDisc:
        case QTextListFormat::ListCircle:
        case QTextListFormat::ListSquare:
            label = QString(QChar(0x2022));
            break;
        default:
            label = list->itemText(block);
            break;
    }
    return label + QLatin1Char('\t');
}

// A table cell after the first of its row continues the row's paragraph after a tab,
// as the reader gives a row back.
bool ContinuesRow(const QTextBlock& block) {
    QTextTable* table = QTextCursor(block).currentTable();
    if (!table) return false;
    QTextTableCell cell = table->cellAt(block.position());
    return cell.isValid() && cell.column() > 0 && cell.firstPosition() == block.position();
}

}  // namespace

RichDocument DocumentToModel(const QTextDocument& doc) {
    RichDocument model;
    FontList fonts(model);
    ParagraphFormat format;
    bool first = true;
    // The headings as the editor lists them, each at the start of its paragraph.
    const std::vector<DocumentHeading> headings = DocumentHeadings(doc);
    std::size_t heading = 0;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (!first && ContinuesRow(block)) {
            model.addText({}, u"\t");
        } else {
            if (!first) model.endParagraph(format);
            format = ModelParagraphFormat(block.blockFormat());
            if (heading < headings.size() && headings[heading].position == block.position()) {
                model.addHeading(ToU16(headings[heading].title), headings[heading].level,
                                 model.nextTextPosition());
                ++heading;
            }
        }
        while (heading < headings.size() && headings[heading].position <= block.position())
            ++heading;
        first = false;
        if (QString label = ListLabel(block); !label.isEmpty())
            model.addText(ModelCharFormat(block.charFormat(), fonts), ToU16(label));
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            model.addText(ModelCharFormat(fragment.charFormat(), fonts), ToU16(fragment.text()));
        }
    }
    if (!first) model.endParagraph(format);
    model.finish(format);
    return model;
}

namespace {

// The readers' messages that are whole sentences for the user, so that lupdate sees them;
// a reader's shorter reasons go into "Cannot read %1: %2" as they are.
[[maybe_unused]] const char* const kWholeReaderMessages[] = {
    QT_TRANSLATE_NOOP("vernalo::DocumentFile", "This PDF has no text to read."),
    QT_TRANSLATE_NOOP("vernalo::DocumentFile", "No text was found in this image."),
    QT_TRANSLATE_NOOP("vernalo::DocumentFile",
                      "Text recognition needs the Russian and English language data: install "
                      "tesseract-ocr-rus and tesseract-ocr-eng."),
};

void LoadPlainText(std::u16string&& decoded, QTextDocument& doc) {
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    QString text = ToQString(decoded);
    std::u16string().swap(decoded);  // the decoded copy goes before the document takes the text
    doc.setPlainText(text);
    doc.setUndoRedoEnabled(undo);
    doc.setModified(false);
}

}  // namespace

void LoadDocumentBytes(const QByteArray& bytes, QTextDocument& doc) {
    if (IsRtf(bytes)) {
        ModelToDocument(ReadRtf(View(bytes)), doc);
        return;
    }
    DecodedDocument decoded = DecodeDocumentText(View(bytes));
    // Text handed over whole is the program's own (the last text, a conversion): shown
    // as it is even when it looks like no text.
    if (!decoded.isText()) decoded.text = DecodeTextFile(View(bytes)).text;
    LoadPlainText(std::move(decoded.text), doc);
}

namespace {

// The readers' reasons the window knows, in the user's language; any other stays as it is.
const char* const kReaderReasons[] = {
    QT_TRANSLATE_NOOP("vernalo::DocumentFile", "the file is damaged or incomplete"),
};

QString ReasonText(const std::string& reason) {
    for (const char* known : kReaderReasons)
        if (reason == known) return QCoreApplication::translate("vernalo::DocumentFile", known);
    return QString::fromStdString(reason);
}

}  // namespace

DocumentResult LoadDocumentFile(const QString& path, QTextDocument& doc,
                                const ReadControl& control) {
    const auto stop = [&control] { return control.cancelled && control.cancelled(); };
    QFile file(path);
    if (QFileInfo(path).isDir())
        return {false, QCoreApplication::translate("vernalo::DocumentFile",
                                                   "Cannot open file %1: it is a folder")
                           .arg(QDir::toNativeSeparators(path))};
    if (!file.open(QIODevice::ReadOnly))
        return {false, QCoreApplication::translate("vernalo::DocumentFile", "Cannot open file %1")
                           .arg(QDir::toNativeSeparators(path))};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || (file.size() > 0 && bytes.size() < file.size()))
        return {false,
                QCoreApplication::translate("vernalo::DocumentFile", "Failed to Load Stream")};
    if (stop()) return {false, {}};
    ReadResult r = ReadDocument(View(bytes), path.toStdU16String(), control);
    bytes = QByteArray();  // the file is not held beside its text
    if (r.notText)
        return {false, QCoreApplication::translate("vernalo::DocumentFile",
                                                   "Cannot read %1: this is not a text document.")
                           .arg(QFileInfo(path).fileName())};
    if (!r.ok)
        return {false,
                r.wholeMessage
                    ? QCoreApplication::translate("vernalo::DocumentFile", r.error.c_str())
                    : QCoreApplication::translate("vernalo::DocumentFile", "Cannot read %1: %2")
                          .arg(QFileInfo(path).fileName(), ReasonText(r.error))};
    if (stop()) return {false, {}};
    if (r.plainText)
        LoadPlainText(r.document.takeText(), doc);
    else
        ModelToDocument(r.document, doc);
    return {};
}

QByteArray DocumentToRtf(const QTextDocument& doc) {
    std::string rtf = WriteRtf(DocumentToModel(doc), ToU16(doc.defaultFont().family()));
    return QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size()));
}

DocumentResult SaveDocumentFile(const QTextDocument& doc, const QString& path) {
    const QByteArray data = DocumentToRtf(doc);
    // Our own atomic write: it checks every write and flushes to disk before the rename,
    // so a full disk or a size limit never leaves a truncated file behind; through a link it
    // replaces the file the link points to.
    std::string error;
    if (!WriteFileAtomically(
            QFile::encodeName(path).toStdString(),
            std::string_view(data.constData(), static_cast<std::size_t>(data.size())), &error)) {
        const QFileInfo info(path);
        if (!QFileInfo(info.absolutePath()).isWritable() && !info.isWritable())
            return {false,
                    QCoreApplication::translate("vernalo::DocumentFile", "Cannot create file %1")
                        .arg(QDir::toNativeSeparators(path))};
        return {false,
                QCoreApplication::translate("vernalo::DocumentFile", "Failed to Save Stream")};
    }
    return {};
}

}  // namespace vernalo
