#pragma once
// The WordprocessingML vocabulary the DOCX reader knows, and the styles of word/styles.xml.

#include <QHash>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "documents/office/officexml.h"

namespace vernalo::office {

enum class W {
    Other,
    R,
    T,
    RPr,
    P,
    PPr,
    B,
    I,
    RStyle,
    Vanish,
    PStyle,
    OutlineLvl,
    Tab,
    Br,
    Cr,
    Sym,
    NoBreakHyphen,
    SoftHyphen,
    Del,
    MoveFrom,
    DelText,
    InstrText,
    Tbl,
    Tr,
    Tc,
    FootnoteReference,
    EndnoteReference,
    FootnoteRef,
    EndnoteRef,
    Footnote,
    Endnote,
    SdtPr,
    Style,
    Name,
    BasedOn,
    NumPr,
    Ilvl,
    NumId,
    AbstractNum,
    AbstractNumId,
    Num,
    Lvl,
    Start,
    NumFmt,
    LvlText,
    LvlRestart,
    LvlOverride,
    StartOverride,
};

// The tag of the element the reader is at; Other for what is not in Word's namespaces.
W WordTagOf(const XmlElement& r);

// Walks a part of Word's (styles, numbering): `start(tag, parent, attributes)` at each
// element, `end(tag)` at its end.
template <class Start, class End>
bool WalkWordPart(const std::string& bytes, const std::string& part, std::string& error,
                  Start&& start, End&& end) {
    std::vector<W> stack;
    return WalkPart(
        bytes, part, error,
        [&](const XmlElement& r) {
            const W tag = WordTagOf(r);
            const W parent = stack.empty() ? W::Other : stack.back();
            stack.push_back(tag);
            start(tag, parent, r.attributes());
            return true;
        },
        [&](const XmlElement&) {
            if (stack.empty()) return;
            end(stack.back());
            stack.pop_back();
        },
        [](QStringView) {});
}

// ST_OnOff: absent or "1", "true", "on" switch on; "0", "false", "off" switch off.
bool OnOff(XmlAttributes a);

// A heading level from an outline level (0 is the top one, 9 body text): 1..6, or 0.
int LevelOfOutline(QStringView val);

// The text of w:sym: a Symbol font character as its Unicode one; a character of another
// symbol font (Wingdings...) has none and is dropped.
QString SymText(XmlAttributes a);

struct DocxStyle {
    QString basedOn;
    std::optional<int> level;
    std::optional<bool> bold, italic;
    std::optional<QString> numId;  // the list its paragraphs are items of
    std::optional<int> numLevel;
};

struct DocxFormat {
    int level = 0;
    bool bold = false, italic = false;
    QString numId;
    int numLevel = 0;
};

class DocxStyles {
public:
    // Reads word/styles.xml; a missing part leaves every style plain.
    bool read(const std::string& bytes, const std::string& part, std::string& error);

    DocxFormat paragraph(const QString& id) {
        return resolve(u'p', id.isEmpty() ? defaultParagraph_ : id);
    }
    DocxFormat character(const QString& id) { return resolve(u'c', id); }
    // Whether a character style sets bold or italic itself (or through its bases).
    std::optional<bool> characterBold(const QString& id) {
        return find(u'c', id, &DocxStyle::bold);
    }
    std::optional<bool> characterItalic(const QString& id) {
        return find(u'c', id, &DocxStyle::italic);
    }

private:
    template <class T>
    std::optional<T> find(char16_t family, QString id, std::optional<T> DocxStyle::*field) {
        // A chain of bases longer than this is a loop or a hostile file.
        for (int step = 0; step < 16 && !id.isEmpty(); ++step) {
            const auto it = styles_.constFind(family + id);
            if (it == styles_.constEnd()) break;
            if ((*it).*field) return (*it).*field;
            id = it->basedOn;
        }
        return std::nullopt;
    }
    DocxFormat resolve(char16_t family, const QString& id) {
        if (id.isEmpty()) return {};
        const QString key = family + id;
        if (const auto it = cache_.constFind(key); it != cache_.constEnd()) return *it;
        DocxFormat f;
        f.level = find(family, id, &DocxStyle::level).value_or(0);
        f.bold = find(family, id, &DocxStyle::bold).value_or(false);
        f.italic = find(family, id, &DocxStyle::italic).value_or(false);
        f.numId = find(family, id, &DocxStyle::numId).value_or(QString());
        f.numLevel = find(family, id, &DocxStyle::numLevel).value_or(0);
        cache_.insert(key, f);
        return f;
    }

    QHash<QString, DocxStyle> styles_;
    QHash<QString, DocxFormat> cache_;
    QString defaultParagraph_;
};

}  // namespace vernalo::office
