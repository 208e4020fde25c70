#include "documents/office/xmlwalk.h"

#include "documents/books/xmltext.h"

#include <expat.h>

#include <QString>
#include <QStringDecoder>
#include <algorithm>
#include <deque>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

namespace vernalo::office {

namespace {

// Bound to the prefix "xml" in every document.
constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
// The parser takes the part a piece at a time, so that it never holds a copy of all of it.
constexpr qsizetype kPiece = 1 << 18;

// The parser has checked the bytes, so every sequence here is whole and valid.
void AppendUtf8(std::u16string& out, std::string_view s) {
    const std::size_t at = out.size();
    out.resize(at + s.size());  // never more units than bytes
    char16_t* o = out.data() + at;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            *o++ = c;
            ++i;
            continue;
        }
        const int more = c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t u = c & (0x3F >> more);
        for (int k = 1; k <= more && i + k < s.size(); ++k)
            u = (u << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        i += more + 1;
        if (u >= 0x10000) {
            u -= 0x10000;
            *o++ = static_cast<char16_t>(0xD800 + (u >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + (u & 0x3FF));
        } else {
            *o++ = static_cast<char16_t>(u);
        }
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
}

// The prefix and the local name of a qualified name.
std::pair<std::string_view, std::string_view> Split(const char* name) {
    const std::string_view s(name);
    const std::size_t at = s.find(':');
    if (at == std::string_view::npos) return {{}, s};
    return {s.substr(0, at), s.substr(at + 1)};
}

// A name with no prefix or local part around its colon, or with two colons.
bool IsMisshapen(std::string_view local, std::string_view qualified) {
    return local.empty() || qualified.front() == ':' || local.find(':') != std::string_view::npos;
}

// The part in an encoding the parser reads (UTF-8, UTF-16, ISO-8859-1, US-ASCII): one
// declared otherwise (KOI8-R, Shift_JIS...) is decoded here, as far as Qt knows it, and
// declared again as UTF-8.
QByteArray InKnownEncoding(const QByteArray& xml) {
    qsizetype end = 0;
    const QByteArray name = DeclaredEncoding(xml, &end);
    if (name.isEmpty()) return xml;
    for (const char* known : {"utf-8", "utf-16", "iso-8859-1", "us-ascii"})
        if (name.compare(known, Qt::CaseInsensitive) == 0) return xml;
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid()) return xml;
    const QString text = decoder(QByteArrayView(xml).sliced(end));
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + text.toUtf8();
}

bool IsDeclaration(std::string_view name) {
    return name.starts_with("xmlns") && (name.size() == 5 || name[5] == ':');
}

class Walk {
public:
    Walk(const std::string& part, int maxDepth, std::string& error, XmlHandler& handler)
        : part_(part),
          maxDepth_(maxDepth),
          error_(error),
          handler_(handler),
          // The prefixes are resolved here rather than by the parser, which would spell out
          // every name with its namespace: about a quarter of its time on a large part.
          parser_(XML_ParserCreate(nullptr)) {
        if (!parser_) throw std::bad_alloc();
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, onStart, onEnd);
        XML_SetCharacterDataHandler(parser_, onText);
        XML_SetEntityDeclHandler(parser_, onEntity);
        // No external entity or DTD is ever fetched or read.
        XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    }
    ~Walk() { XML_ParserFree(parser_); }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

    bool run(const QByteArray& part) {
        const QByteArray xml = InKnownEncoding(part);
        qsizetype at = 0;
        do {
            const qsizetype n = std::min(kPiece, xml.size() - at);
            const bool last = at + n == xml.size();
            if (XML_Parse(parser_, xml.constData() + at, static_cast<int>(n), last) !=
                XML_STATUS_OK) {
                if (!failed_) {
                    error_ = part_ + ": malformed XML at line " +
                             std::to_string(XML_GetCurrentLineNumber(parser_)) + ": " +
                             XML_ErrorString(XML_GetErrorCode(parser_));
                }
                return false;
            }
            at += n;
        } while (at < xml.size());
        return true;
    }

private:
    static void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        static_cast<Walk*>(data)->start(name, attributes);
    }
    static void XMLCALL onEnd(void* data, const XML_Char* name) {
        static_cast<Walk*>(data)->end(name);
    }
    static void XMLCALL onText(void* data, const XML_Char* s, int len) {
        auto* self = static_cast<Walk*>(data);
        if (self->skip_ == 0) self->text_.append(s, static_cast<std::size_t>(len));
    }
    static void XMLCALL onEntity(void* data, const XML_Char*, int, const XML_Char*, int,
                                 const XML_Char*, const XML_Char*, const XML_Char*,
                                 const XML_Char*) {
        static_cast<Walk*>(data)->fail(": the XML declares entities, which are not allowed");
    }

    void fail(const char* why) {
        error_ = part_ + why;
        failed_ = true;
        XML_StopParser(parser_, XML_FALSE);
    }
    // A fault in the names, which the walk checks since it resolves their prefixes, told as
    // the parser tells its own.
    void malformed(const char* why) {
        error_ = part_ + ": malformed XML at line " +
                 std::to_string(XML_GetCurrentLineNumber(parser_)) + ": " + why;
        failed_ = true;
        XML_StopParser(parser_, XML_FALSE);
    }

    void start(const char* name, const char** attributes) {
        flushText();
        if (++depth_ > maxDepth_) {
            fail(": the XML is nested too deeply");
            return;
        }
        // The declarations first, since they hold for the element's own name too; inside a
        // skipped element as well, so that a prefix bound nowhere is an error wherever it is.
        for (const char** a = attributes; *a; a += 2) {
            const std::string_view n(a[0]);
            if (!IsDeclaration(n)) continue;
            const std::string_view prefix = n.size() > 5 ? n.substr(6) : std::string_view();
            if (!prefix.empty() && !*a[1]) return malformed("cannot undeclare prefix");
            bindings_.push_back({std::string(prefix), namespaceOf(a[1]), depth_});
            lastValid_ = false;
        }
        const auto [prefix, local] = Split(name);
        if (IsMisshapen(local, name)) return malformed("not well-formed (invalid token)");
        const Uri* uri = bound(prefix);
        if (!uri) return malformed("unbound prefix");
        for (const char** a = attributes; *a; a += 2) {
            const auto [attributePrefix, attributeLocal] = Split(a[0]);
            if (IsMisshapen(attributeLocal, a[0]))
                return malformed("not well-formed (invalid token)");
            if (!attributePrefix.empty() && !IsDeclaration(a[0]) && !bound(attributePrefix))
                return malformed("unbound prefix");
        }
        if (skip_ > 0) {
            ++skip_;
            return;
        }
        // Every piece goes into one buffer before any view of it is taken.
        units_.clear();
        AppendUtf8(units_, local);
        bounds_.clear();
        for (const char** a = attributes; *a; a += 2) {
            if (IsDeclaration(a[0])) continue;
            bounds_.push_back(units_.size());
            AppendUtf8(units_, Split(a[0]).second);
            bounds_.push_back(units_.size());
            AppendUtf8(units_, a[1]);
        }
        bounds_.push_back(units_.size());
        const QStringView all(units_);
        attributes_.clear();
        for (std::size_t i = 0; i + 2 < bounds_.size(); i += 2) {
            const auto b = [&](std::size_t k) { return static_cast<qsizetype>(bounds_[k]); };
            attributes_.push_back(
                {all.sliced(b(i), b(i + 1) - b(i)), all.sliced(b(i + 1), b(i + 2) - b(i + 1))});
        }
        const qsizetype nameEnd = static_cast<qsizetype>(bounds_.front());
        if (!handler_.start(XmlElement(uri->second, all.first(nameEnd), attributes_))) ++skip_;
    }

    void end(const char* name) {
        flushText();
        const auto [prefix, local] = Split(name);
        const Uri* uri = bound(prefix);
        while (!bindings_.empty() && bindings_.back().depth == depth_) {
            bindings_.pop_back();
            lastValid_ = false;
        }
        --depth_;
        if (skip_ > 0) {
            --skip_;
            return;
        }
        units_.clear();
        AppendUtf8(units_, local);
        handler_.end(XmlElement(uri ? QStringView(uri->second) : QStringView(), units_, {}));
    }

    void flushText() {
        if (text_.empty()) return;
        units_.clear();
        AppendUtf8(units_, text_);
        text_.clear();
        handler_.chars(units_);
    }

    using Uri = std::pair<std::string, QString>;

    // The namespace a prefix stands for where the walk is; none for no prefix outside any
    // default namespace, null for a prefix bound nowhere.
    const Uri* bound(std::string_view prefix) {
        // Most elements of a part share one prefix: the last answer holds until a binding
        // comes or goes.
        if (lastValid_ && prefix == lastPrefix_) return lastBound_;
        lastPrefix_.assign(prefix);
        lastBound_ = find(prefix);
        lastValid_ = true;
        return lastBound_;
    }
    const Uri* find(std::string_view prefix) {
        for (auto b = bindings_.rbegin(); b != bindings_.rend(); ++b)
            if (b->prefix == prefix) return b->uri;
        if (prefix.empty()) return &noUri_;
        if (prefix == "xml") return namespaceOf(kXmlNamespace);
        return nullptr;
    }

    // A part names few namespaces, each bound once or a few times: each is decoded once.
    const Uri* namespaceOf(std::string_view uri) {
        for (const Uri& known : uris_)
            if (known.first == uri) return &known;
        return &uris_.emplace_back(
            std::string(uri), QString::fromUtf8(uri.data(), static_cast<qsizetype>(uri.size())));
    }

    struct Binding {
        std::string prefix;  // empty for the default namespace
        const Uri* uri;
        int depth;  // of the element that declares it
    };

    const std::string& part_;
    const int maxDepth_;
    std::string& error_;
    XmlHandler& handler_;
    XML_Parser parser_;
    int depth_ = 0;
    int skip_ = 0;
    bool failed_ = false;
    std::string text_;      // the text since the last tag, as the parser gave it
    std::u16string units_;  // what the handler is shown: a text, or a name with its attributes
    std::vector<std::size_t> bounds_;
    std::vector<XmlAttribute> attributes_;
    std::deque<Uri> uris_;
    const Uri noUri_;
    std::vector<Binding> bindings_;
    std::string lastPrefix_;
    const Uri* lastBound_ = nullptr;
    bool lastValid_ = false;
};

}  // namespace

bool WalkXml(const QByteArray& xml, const std::string& part, int maxDepth, std::string& error,
             XmlHandler& handler) {
    return Walk(part, maxDepth, error, handler).run(xml);
}

}  // namespace vernalo::office
