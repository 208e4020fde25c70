#include "documents/books/bookreader.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <map>
#include <sstream>
#include <vector>

#include "documents/books/xmltext.h"
#include "documents/books/ziparchive.h"
#include "text/textcodec.h"

namespace vernalo {

namespace {

bool EndsWith(std::string_view s, std::string_view suffix) {
    if (s.size() < suffix.size()) return false;
    return std::equal(s.end() - suffix.size(), s.end(), suffix.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
    });
}

ReadResult Fail(std::string error) {
    return ReadFailure(std::move(error));
}

ReadResult Fb2(const std::string& bytes) {
    BookBuilder out;
    std::string error;
    const QByteArray xml = XmlAsUnicode(bytes);
    // Only UTF-8 is counted; UTF-16 files grow the text as they go.
    if (!xml.startsWith('\xff') && !xml.startsWith('\xfe')) out.reserve(Utf8CharCount(xml));
    if (!ReadFb2Xml(xml, out, error)) return Fail(error);
    ReadResult r;
    r.ok = true;
    r.document = out.take();
    return r;
}

ReadResult Fb2Zip(std::string_view bytes) {
    std::string error;
    auto zip = ZipArchive::open(bytes, error);
    if (!zip) return Fail(error);
    std::string member;
    for (const std::string& name : zip->names()) {
        if (!EndsWith(name, ".fb2")) continue;
        if (!member.empty()) return Fail("the archive holds more than one book");
        member = name;
    }
    if (member.empty()) return Fail("the archive holds no .fb2 book");
    std::string xml;
    if (!zip->read(member, xml, error)) return Fail(error);
    return Fb2(xml);
}

// "a/b/../c%20d.xhtml" relative to the folder "OEBPS/" as a member name.
std::string ResolvePath(const std::string& folder, const QString& href) {
    QString h = href;
    if (const qsizetype hash = h.indexOf(u'#'); hash >= 0) h.truncate(hash);
    const QByteArray decoded = QByteArray::fromPercentEncoding(h.toUtf8());
    std::string joined =
        h.startsWith(u'/') ? decoded.mid(1).toStdString() : folder + decoded.toStdString();
    std::vector<std::string> parts;
    std::stringstream in(joined);
    for (std::string part; std::getline(in, part, '/');) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string out;
    for (const auto& p : parts)
        out += (out.empty() ? "" : "/") + p;
    return out;
}

// Reads a small XML part (container, package) and calls `element` for each start tag.
template <class Fn>
bool WalkSmallXml(const std::string& bytes, std::string& error, const char* what, Fn&& element) {
    QXmlStreamReader r(XmlAsUnicode(bytes));
    r.setNamespaceProcessing(true);
    r.setEntityExpansionLimit(0);
    int depth = 0;
    while (!r.atEnd()) {
        const auto token = r.readNext();
        if (token == QXmlStreamReader::DTD && !r.entityDeclarations().isEmpty()) {
            error = std::string(what) + " declares entities, which are not allowed";
            return false;
        }
        if (token == QXmlStreamReader::StartElement) {
            if (++depth > 64) {
                error = std::string(what) + " is nested too deeply";
                return false;
            }
            element(r);
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    if (r.hasError()) {
        error = std::string(what) + " is malformed XML (line " + std::to_string(r.lineNumber()) +
                ": " + r.errorString().toStdString() + ")";
        return false;
    }
    return true;
}

ReadResult Epub(std::string_view bytes) {
    std::string error;
    auto zip = ZipArchive::open(bytes, error);
    if (!zip) return Fail(error);

    std::string container;
    if (!zip->contains("META-INF/container.xml"))
        return Fail("the container (META-INF/container.xml) is missing");
    if (!zip->read("META-INF/container.xml", container, error)) return Fail(error);
    QString packagePath;
    if (!WalkSmallXml(container, error, "the container", [&](QXmlStreamReader& r) {
            if (packagePath.isEmpty() && r.name() == u"rootfile")
                packagePath = r.attributes().value(QStringLiteral("full-path")).toString();
        }))
        return Fail(error);
    if (packagePath.isEmpty()) return Fail("the container names no package document");
    const std::string opfName = ResolvePath("", packagePath);
    if (!zip->contains(opfName)) return Fail("the package document is missing");
    std::string opf;
    if (!zip->read(opfName, opf, error)) return Fail(error);

    struct Item {
        QString href, type, properties;
    };
    std::map<QString, Item> manifest;
    std::vector<QString> spine;
    QString ncxId;
    if (!WalkSmallXml(opf, error, "the package document", [&](QXmlStreamReader& r) {
            const auto a = r.attributes();
            if (r.name() == u"item") {
                manifest[a.value(QStringLiteral("id")).toString()] =
                    Item{a.value(QStringLiteral("href")).toString(),
                         a.value(QStringLiteral("media-type")).toString(),
                         a.value(QStringLiteral("properties")).toString()};
            } else if (r.name() == u"itemref") {
                spine.push_back(a.value(QStringLiteral("idref")).toString());
            } else if (r.name() == u"spine") {
                ncxId = a.value(QStringLiteral("toc")).toString();
            }
        }))
        return Fail(error);
    if (spine.empty()) return Fail("the package document lists nothing to read");

    const std::string folder =
        opfName.find('/') == std::string::npos ? "" : opfName.substr(0, opfName.rfind('/') + 1);
    std::vector<std::string> parts;
    for (const QString& id : spine) {
        const auto it = manifest.find(id);
        if (it == manifest.end()) continue;
        const Item& item = it->second;
        // The table of contents is the text again: not read twice.
        if (id == ncxId || item.type == u"application/x-dtbncx+xml" ||
            item.properties.split(u' ').contains(QStringLiteral("nav")))
            continue;
        if (item.type != u"application/xhtml+xml" && item.type != u"text/html") continue;
        parts.push_back(ResolvePath(folder, item.href));
    }
    std::uint64_t markupBytes = 0, markupRead = 0;
    for (const std::string& name : parts)
        markupBytes += zip->declaredSize(name);

    BookBuilder out;
    std::string part;
    bool reserved = false;
    for (const std::string& name : parts) {
        if (!zip->contains(name)) return Fail("the part " + name + " is missing");
        if (!zip->read(name, part, error)) return Fail(error);
        const QByteArray xml = XmlAsUnicode(part);
        if (!ReadXhtml(xml, out, error)) return Fail(name + ": " + error);
        out.endBlock();
        // Once a good part of the book is read, its text per byte of markup tells how much
        // room the whole needs: reserved once, the text is not copied as it grows. Sizes
        // are only what the archive declares, so an estimate far beyond what the file could
        // hold is not trusted.
        markupRead += part.size();
        if (!reserved && markupRead >= std::min<std::uint64_t>(markupBytes / 8, 1u << 20)) {
            reserved = true;
            const double perByte = static_cast<double>(out.units()) /
                                   static_cast<double>(std::max<std::uint64_t>(markupRead, 1));
            const double estimate = perByte * 1.05 * static_cast<double>(markupBytes) + 4096;
            if (estimate < 16.0 * static_cast<double>(bytes.size()))
                out.reserve(static_cast<std::size_t>(estimate));
        }
    }
    ReadResult r;
    r.ok = true;
    r.document = out.take();
    return r;
}

ReadResult Fb2Bytes(std::string_view bytes) {
    return Fb2(std::string(bytes));
}

}  // namespace

// A book is a book by its name alone: what is wrong with its content, the reader says.
const DocumentFormat kFb2Format{"FictionBook 2 book", DocumentKind::Fb2,
                                TakesByName<DocumentKind::Fb2>, ReadNonEmpty<Fb2Bytes>};
const DocumentFormat kFb2ZipFormat{"FictionBook 2 book", DocumentKind::Fb2Zip,
                                   TakesByName<DocumentKind::Fb2Zip>, ReadNonEmpty<Fb2Zip>};
const DocumentFormat kEpubFormat{"EPUB book", DocumentKind::Epub, TakesByName<DocumentKind::Epub>,
                                 ReadNonEmpty<Epub>};

}  // namespace vernalo
