#include "documents/officexml.h"

namespace vernalo::office {

BookResult Fail(std::string error) {
    BookResult r;
    r.error = std::move(error);
    return r;
}

BookResult Done(BookBuilder& out) {
    BookResult r;
    r.ok = true;
    r.document = out.Take();
    return r;
}

QStringView Attr(const QXmlStreamAttributes& attributes, QStringView name) {
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == name) return a.value();
    return {};
}

bool HasAttr(const QXmlStreamAttributes& attributes, QStringView name) {
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == name) return true;
    return false;
}

}  // namespace vernalo::office
