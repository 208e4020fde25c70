#pragma once
// A streaming walk over one XML part, with the namespaces resolved: what the office readers
// see of an element, and the walk that feeds them. The parser behind it stays in xmlwalk.cpp.

#include <QByteArray>
#include <QStringView>
#include <span>
#include <string>

namespace vernalo::office {

// One attribute by its local name (the prefix dropped).
struct XmlAttribute {
    QStringView name;
    QStringView value;
};

using XmlAttributes = std::span<const XmlAttribute>;

// The element the walk is at; valid only for the call it is passed to.
class XmlElement {
public:
    XmlElement(QStringView namespaceUri, QStringView name, XmlAttributes attributes)
        : namespaceUri_(namespaceUri), name_(name), attributes_(attributes) {}
    QStringView namespaceUri() const { return namespaceUri_; }
    QStringView name() const { return name_; }
    XmlAttributes attributes() const { return attributes_; }

private:
    QStringView namespaceUri_;
    QStringView name_;
    XmlAttributes attributes_;
};

class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    // False skips the element with all it holds.
    virtual bool start(const XmlElement& element) = 0;
    // For each element start() let in; the element holds only its namespace and name here.
    virtual void end(const XmlElement& element) = 0;
    // The text between two tags, at once, outside skipped elements.
    virtual void chars(QStringView text) = 0;
};

// Walks `xml` (UTF-8 or UTF-16 with a byte order mark) into `handler`. Entities are never
// expanded: a part that declares one is refused, as is one nested deeper than `maxDepth`.
// False with `error` naming `part` (and for malformed XML the line, 1-based, and why).
bool WalkXml(const QByteArray& xml, const std::string& part, int maxDepth, std::string& error,
             XmlHandler& handler);

}  // namespace vernalo::office
