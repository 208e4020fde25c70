#include "documents/books/bookreader.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <map>
#include <sstream>
#include <vector>

#include "documents/books/bookdetails.h"
#include "documents/books/epubcontents.h"
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
    r.document.book = ReadFb2Details(xml);
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

struct ManifestItem {
    QString href, type, properties;
};

// The book's own table of contents, which names its chapters as its author did even where
// their headings are plain styled paragraphs: the EPUB 3 navigation document, else the NCX.
std::vector<ContentsEntry> BookContents(ZipArchive& zip,
                                        const std::map<QString, ManifestItem>& manifest,
                                        const QString& ncxId, const std::string& folder) {
    const auto read = [&](const ManifestItem& item, auto parse) {
        const std::string name = ResolveBookPath(folder, item.href);
        const std::string itemFolder =
            name.find('/') == std::string::npos ? "" : name.substr(0, name.rfind('/') + 1);
        std::string xml, error;
        if (!zip.contains(name) || !zip.read(name, xml, error)) return std::vector<ContentsEntry>{};
        return parse(xml, itemFolder);
    };
    for (const auto& [id, item] : manifest)
        if (item.properties.split(u' ').contains(QStringLiteral("nav")))
            if (auto entries = read(item, ReadNavContents); !entries.empty()) return entries;
    for (const auto& [id, item] : manifest)
        if (id == ncxId || item.type == u"application/x-dtbncx+xml")
            if (auto entries = read(item, ReadNcxContents); !entries.empty()) return entries;
    return {};
}

// The cover: the manifest's item marked cover-image (EPUB 3), else the one the package's
// cover meta names (EPUB 2). None when it is missing or no image.
void ReadEpubCover(ZipArchive& zip, const std::map<QString, ManifestItem>& manifest,
                   const QString& coverId, const std::string& folder, BookDetails& book) {
    const ManifestItem* cover = nullptr;
    for (const auto& [id, item] : manifest)
        if (!cover && item.properties.split(u' ').contains(QStringLiteral("cover-image")))
            cover = &item;
    if (const auto it = manifest.find(coverId); !cover && it != manifest.end()) cover = &it->second;
    std::string bytes, error;
    const std::string name = cover ? ResolveBookPath(folder, cover->href) : std::string();
    if (!cover || !zip.contains(name) || !zip.read(name, bytes, error)) return;
    book.coverType = ImageType(bytes);
    if (!book.coverType.empty()) book.cover = std::move(bytes);
}

// The contents' entries as the document's headings, in the order of the text; where none
// points into the text, the headings of the chapters (h1-h6) stay.
void UseContents(RichDocument& doc, const std::vector<ContentsEntry>& contents,
                 const std::map<std::string, std::size_t>& partStarts,
                 const std::map<std::string, std::map<QString, std::size_t>>& anchors) {
    std::vector<Heading> found;
    for (const ContentsEntry& e : contents) {
        const auto part = partStarts.find(e.part);
        if (part == partStarts.end()) continue;
        std::size_t at = part->second;
        if (!e.fragment.isEmpty()) {
            const auto& ids = anchors.at(e.part);
            if (const auto it = ids.find(e.fragment);
                it != ids.end() && it->second != std::string::npos)
                at = it->second;
        }
        found.push_back({e.title.toStdU16String(), e.level, at});
    }
    if (found.empty()) return;
    std::stable_sort(found.begin(), found.end(),
                     [](const Heading& a, const Heading& b) { return a.position < b.position; });
    doc.headings.clear();
    for (const Heading& h : found)
        doc.addHeading(h.title, h.level, h.position);
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
    const std::string opfName = ResolveBookPath("", packagePath);
    if (!zip->contains(opfName)) return Fail("the package document is missing");
    std::string opf;
    if (!zip->read(opfName, opf, error)) return Fail(error);

    using Item = ManifestItem;
    std::map<QString, Item> manifest;
    std::vector<QString> spine;
    QString ncxId, title, coverId;
    BookDetails book;
    if (!WalkSmallXml(opf, error, "the package document", [&](QXmlStreamReader& r) {
            const auto a = r.attributes();
            if (r.namespaceUri() == u"http://purl.org/dc/elements/1.1/") {
                const QStringView n = r.name();
                const auto text = [&r] {
                    return r.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
                };
                if (n == u"title" && title.isEmpty()) title = text();
                if (n == u"creator" && book.author.empty()) book.author = text().toStdString();
                if (n == u"language" && book.language.empty()) book.language = text().toStdString();
                if (n == u"date" && book.year.empty()) book.year = YearOf(text());
            } else if (r.name() == u"meta" && a.value(QStringLiteral("name")) == u"cover") {
                coverId = a.value(QStringLiteral("content")).toString();  // EPUB 2
            } else if (r.name() == u"item") {
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
        parts.push_back(ResolveBookPath(folder, item.href));
    }
    const std::vector<ContentsEntry> contents = BookContents(*zip, manifest, ncxId, folder);
    // The positions the contents point at: each part's start, and the elements named.
    std::map<std::string, std::map<QString, std::size_t>> anchors;
    for (const ContentsEntry& e : contents)
        if (!e.fragment.isEmpty()) anchors[e.part].emplace(e.fragment, std::string::npos);
    std::map<std::string, std::size_t> partStarts;

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
        partStarts.emplace(name, out.position());
        const auto wanted = anchors.find(name);
        if (!ReadXhtml(xml, out, error, wanted == anchors.end() ? nullptr : &wanted->second))
            return Fail(name + ": " + error);
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
    r.document.title = title.toStdU16String();
    r.document.book = std::move(book);
    ReadEpubCover(*zip, manifest, coverId, folder, r.document.book);
    UseContents(r.document, contents, partStarts, anchors);
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
