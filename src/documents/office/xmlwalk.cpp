#include "documents/office/xmlwalk.h"

#include <expat.h>

#include <QString>
#include <deque>
#include <string_view>
#include <utility>
#include <vector>

namespace vernalo::office {

namespace {

// Between a name's namespace and its local part in what the parser reports; no XML name or
// namespace may hold it.
constexpr char kSeparator = '\x01';
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

// The namespace and the local name of a name as the parser reports it.
std::pair<std::string_view, std::string_view> Split(const char* name) {
    const std::string_view s(name);
    const std::size_t at = s.find(kSeparator);
    if (at == std::string_view::npos) return {{}, s};
    return {s.substr(0, at), s.substr(at + 1)};
}

class Walk {
public:
    Walk(const std::string& part, int maxDepth, std::string& error, XmlHandler& handler)
        : part_(part), maxDepth_(maxDepth), error_(error), handler_(handler),
          parser_(XML_ParserCreateNS(nullptr, kSeparator)) {
        if (!parser_) return;
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, onStart, onEnd);
        XML_SetCharacterDataHandler(parser_, onText);
        XML_SetEntityDeclHandler(parser_, onEntity);
        // No external entity or DTD is ever fetched or read.
        XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    }
    ~Walk() {
        if (parser_) XML_ParserFree(parser_);
    }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

    bool run(const QByteArray& xml) {
        if (!parser_) {
            error_ = part_ + ": out of memory";
            return false;
        }
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

    void start(const char* name, const char** attributes) {
        flushText();
        if (++depth_ > maxDepth_) {
            fail(": the XML is nested too deeply");
            return;
        }
        if (skip_ > 0) {
            ++skip_;
            return;
        }
        const auto [uri, local] = Split(name);
        // Every piece goes into one buffer before any view of it is taken.
        units_.clear();
        AppendUtf8(units_, local);
        bounds_.clear();
        for (const char** a = attributes; *a; a += 2) {
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
            attributes_.push_back({all.sliced(b(i), b(i + 1) - b(i)),
                                   all.sliced(b(i + 1), b(i + 2) - b(i + 1))});
        }
        const qsizetype nameEnd = bounds_.front();
        if (!handler_.start(XmlElement(namespaceOf(uri), all.first(nameEnd), attributes_)))
            ++skip_;
    }

    void end(const char* name) {
        flushText();
        --depth_;
        if (skip_ > 0) {
            --skip_;
            return;
        }
        const auto [uri, local] = Split(name);
        units_.clear();
        AppendUtf8(units_, local);
        handler_.end(XmlElement(namespaceOf(uri), units_, {}));
    }

    void flushText() {
        if (text_.empty()) return;
        units_.clear();
        AppendUtf8(units_, text_);
        text_.clear();
        handler_.chars(units_);
    }

    // A part names few namespaces, each on most of its elements: each is decoded once.
    QStringView namespaceOf(std::string_view uri) {
        if (uri.empty()) return {};
        if (lastUri_ && lastUri_->first == uri) return lastUri_->second;
        for (const auto& known : uris_) {
            if (known.first == uri) {
                lastUri_ = &known;
                return known.second;
            }
        }
        lastUri_ = &uris_.emplace_back(std::string(uri),
                                      QString::fromUtf8(uri.data(), static_cast<qsizetype>(uri.size())));
        return lastUri_->second;
    }

    const std::string& part_;
    const int maxDepth_;
    std::string& error_;
    XmlHandler& handler_;
    XML_Parser parser_;
    int depth_ = 0;
    int skip_ = 0;
    bool failed_ = false;
    std::string text_;       // the text since the last tag, as the parser gave it
    std::u16string units_;   // what the handler is shown: a text, or a name with its attributes
    std::vector<std::size_t> bounds_;
    std::vector<XmlAttribute> attributes_;
    std::deque<std::pair<std::string, QString>> uris_;
    const std::pair<std::string, QString>* lastUri_ = nullptr;
};

}  // namespace

bool WalkXml(const QByteArray& xml, const std::string& part, int maxDepth, std::string& error,
             XmlHandler& handler) {
    return Walk(part, maxDepth, error, handler).run(xml);
}

}  // namespace vernalo::office
