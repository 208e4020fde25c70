#include "documents/office/officexml.h"

namespace vernalo::office {

ReadResult Fail(std::string error) {
    return ReadFailure(std::move(error));
}

ReadResult Done(BookBuilder& out) {
    ReadResult r;
    r.ok = true;
    r.document = out.take();
    return r;
}

QStringView Attr(XmlAttributes attributes, QStringView name) {
    for (const XmlAttribute& a : attributes)
        if (a.name == name) return a.value;
    return {};
}

bool HasAttr(XmlAttributes attributes, QStringView name) {
    for (const XmlAttribute& a : attributes)
        if (a.name == name) return true;
    return false;
}

}  // namespace vernalo::office
