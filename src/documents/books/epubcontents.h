#pragma once
// An EPUB's own table of contents: the navigation document of EPUB 3 or the NCX of EPUB 2,
// read into entries that point at a part of the book and, optionally, an element in it.

#include <QString>
#include <string>
#include <vector>

namespace vernalo {

struct ContentsEntry {
    QString title;
    int level = 1;
    std::string part;  // the archive member, as ResolveBookPath gives it
    QString fragment;  // the element id after '#', or empty for the part's start
};

// "a/b/../c%20d.xhtml#x" relative to the folder "OEBPS/" as a member name, without the
// fragment.
std::string ResolveBookPath(const std::string& folder, const QString& href);

// The entries in their order; none when the document is no contents or is malformed.
// `folder` is the folder of the contents document itself, which its links are relative to.
std::vector<ContentsEntry> ReadNavContents(const std::string& xml, const std::string& folder);
std::vector<ContentsEntry> ReadNcxContents(const std::string& xml, const std::string& folder);

}  // namespace vernalo
