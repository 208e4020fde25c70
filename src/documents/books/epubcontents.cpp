#include "documents/books/epubcontents.h"

#include <QByteArray>
#include <QXmlStreamReader>
#include <sstream>

#include "documents/books/xmltext.h"

namespace vernalo {

namespace {

// More entries than any book has; a hostile file stops here.
constexpr std::size_t kMaxEntries = 100'000;
constexpr int kMaxDepth = 64;

ContentsEntry Entry(const QString& title, int level, const std::string& folder,
                    const QString& href) {
    ContentsEntry e;
    e.title = title.simplified();
    e.level = level;
    e.part = ResolveBookPath(folder, href);
    if (const qsizetype hash = href.indexOf(u'#'); hash >= 0)
        e.fragment =
            QString::fromUtf8(QByteArray::fromPercentEncoding(href.mid(hash + 1).toUtf8()));
    return e;
}

QXmlStreamReader::TokenType Next(QXmlStreamReader& r, int& depth) {
    const auto token = r.readNext();
    if (token == QXmlStreamReader::DTD && !r.entityDeclarations().isEmpty())
        r.raiseError(QStringLiteral("entities are declared"));
    if (token == QXmlStreamReader::StartElement && ++depth > kMaxDepth)
        r.raiseError(QStringLiteral("nested too deeply"));
    if (token == QXmlStreamReader::EndElement) --depth;
    return token;
}

}  // namespace

std::string ResolveBookPath(const std::string& folder, const QString& href) {
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

std::vector<ContentsEntry> ReadNavContents(const std::string& xml, const std::string& folder) {
    QXmlStreamReader r(XmlAsUnicode(xml));
    r.setNamespaceProcessing(true);
    r.setEntityExpansionLimit(0);
    std::vector<ContentsEntry> out, firstNav;
    // The toc nav is the contents; a document without one marked so has its first nav.
    int depth = 0, navDepth = 0, listDepth = 0, linkDepth = 0;
    bool inToc = false, sawToc = false;
    QString title, href;
    std::vector<ContentsEntry>* target = nullptr;
    while (!r.atEnd() && out.size() + firstNav.size() < kMaxEntries) {
        const auto token = Next(r, depth);
        if (token == QXmlStreamReader::StartElement) {
            const QStringView n = r.name();
            if (n == u"nav" && navDepth == 0) {
                navDepth = depth;
                const QStringView type = r.attributes().value(
                    QStringLiteral("http://www.idpf.org/2007/ops"), QStringLiteral("type"));
                inToc = type.split(u' ').contains(u"toc");
                if (inToc) {
                    sawToc = true;
                    target = &out;
                } else {
                    target = firstNav.empty() && !sawToc ? &firstNav : nullptr;
                }
            } else if (navDepth > 0 && n == u"ol") {
                ++listDepth;
            } else if (navDepth > 0 && n == u"a" && linkDepth == 0) {
                linkDepth = depth;
                href = r.attributes().value(QStringLiteral("href")).toString();
                title.clear();
            }
        } else if (token == QXmlStreamReader::Characters && linkDepth > 0) {
            title += r.text();
        } else if (token == QXmlStreamReader::EndElement) {
            const QStringView n = r.name();
            if (linkDepth > 0 && depth < linkDepth) {
                linkDepth = 0;
                if (target && !href.isEmpty() && !title.trimmed().isEmpty())
                    target->push_back(Entry(title, std::max(listDepth, 1), folder, href));
            } else if (navDepth > 0 && n == u"ol") {
                --listDepth;
            } else if (navDepth > 0 && depth < navDepth) {
                navDepth = 0;
                listDepth = 0;
                target = nullptr;
            }
        }
    }
    if (r.hasError()) return {};
    return sawToc ? out : firstNav;
}

std::vector<ContentsEntry> ReadNcxContents(const std::string& xml, const std::string& folder) {
    QXmlStreamReader r(XmlAsUnicode(xml));
    r.setNamespaceProcessing(true);
    r.setEntityExpansionLimit(0);
    std::vector<ContentsEntry> out;
    // Each navPoint's label and link; a nested navPoint is one level deeper. The entry is
    // written at its content element, which follows its label.
    int depth = 0, level = 0;
    bool inLabel = false;
    QString title;
    while (!r.atEnd() && out.size() < kMaxEntries) {
        const auto token = Next(r, depth);
        if (token == QXmlStreamReader::StartElement) {
            const QStringView n = r.name();
            if (n == u"navPoint") {
                ++level;
                title.clear();
            } else if (n == u"navLabel") {
                inLabel = true;
            } else if (n == u"content" && level > 0) {
                const QString src = r.attributes().value(QStringLiteral("src")).toString();
                if (!src.isEmpty() && !title.trimmed().isEmpty())
                    out.push_back(Entry(title, level, folder, src));
            }
        } else if (token == QXmlStreamReader::Characters && inLabel) {
            title += r.text();
        } else if (token == QXmlStreamReader::EndElement) {
            if (r.name() == u"navLabel") inLabel = false;
            if (r.name() == u"navPoint") --level;
        }
    }
    if (r.hasError()) return {};
    return out;
}

}  // namespace vernalo
