#include "documents/books/bookdetails.h"

#include <QXmlStreamReader>

namespace vernalo {

namespace {

// The link of an FB2 image, whatever prefix its namespace has: "#cover.jpg".
QString LinkOf(const QXmlStreamReader& r) {
    for (const QXmlStreamAttribute& a : r.attributes())
        if (a.name() == u"href") return a.value().toString();
    return {};
}

}  // namespace

std::string YearOf(const QString& date) {
    int run = 0;
    for (qsizetype i = 0; i < date.size(); ++i) {
        run = date[i].isDigit() && date[i].unicode() < 128 ? run + 1 : 0;
        if (run == 4 && (i + 1 == date.size() || !date[i + 1].isDigit()))
            return date.mid(i - 3, 4).toStdString();
    }
    return {};
}

std::string ImageType(const std::string& bytes) {
    if (bytes.rfind("\xFF\xD8\xFF", 0) == 0) return "image/jpeg";
    if (bytes.rfind("\x89PNG\r\n\x1A\n", 0) == 0) return "image/png";
    if (bytes.rfind("GIF8", 0) == 0) return "image/gif";
    return {};
}

BookDetails ReadFb2Details(const QByteArray& xml) {
    BookDetails book;
    QXmlStreamReader r(xml);
    r.setEntityExpansionLimit(0);
    QString coverId;
    bool inTitleInfo = false, inAuthor = false;
    QString author;
    while (!r.atEnd()) {
        const auto token = r.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (r.name() == u"title-info") inTitleInfo = false;
            if (r.name() == u"author" && inAuthor) {
                inAuthor = false;
                if (book.author.empty()) book.author = author.simplified().toStdString();
            }
            continue;
        }
        if (token != QXmlStreamReader::StartElement) continue;
        const QStringView n = r.name();
        if (n == u"body") {
            r.skipCurrentElement();  // the text is read elsewhere
        } else if (n == u"title-info") {
            inTitleInfo = true;
        } else if (!inTitleInfo) {
            if (n != u"binary" || coverId.isEmpty() ||
                r.attributes().value(QStringLiteral("id")) != coverId)
                continue;
            book.cover = QByteArray::fromBase64(r.readElementText().toLatin1()).toStdString();
            book.coverType = ImageType(book.cover);
            if (book.coverType.empty()) book.cover.clear();
            break;
        } else if (n == u"author") {
            inAuthor = true;
            author.clear();
        } else if (inAuthor && (n == u"first-name" || n == u"middle-name" || n == u"last-name")) {
            author += r.readElementText().simplified() + u' ';
        } else if (n == u"lang" && book.language.empty()) {
            book.language = r.readElementText().trimmed().toStdString();
        } else if (n == u"date" && book.year.empty()) {
            const QString value = r.attributes().value(QStringLiteral("value")).toString();
            const QString text = r.readElementText();
            book.year = YearOf(value.isEmpty() ? text : value);
        } else if (n == u"image" && coverId.isEmpty()) {
            const QString link = LinkOf(r);
            if (link.startsWith(u'#')) coverId = link.mid(1);
        }
    }
    return book;
}

}  // namespace vernalo
