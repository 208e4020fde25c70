#pragma once
// Small DOCX and ODT packages built from XML strings, for the cases the fixtures do not hold.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "documents/office/officereader.h"
#include "support/booktext.h"
#include "support/makezip.h"

namespace vernalo::test::office {

inline const std::string kW =
    R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
    R"(xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006")";

inline std::string Document(const std::string& body) {
    return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:document )" + kW +
           "><w:body>" + body + "</w:body></w:document>";
}

inline std::string Docx(const std::string& body, const std::string& styles = "",
                        const std::string& footnotes = "", const std::string& endnotes = "",
                        const std::string& numbering = "") {
    std::vector<std::pair<std::string, std::string>> members = {
        {"word/document.xml", Document(body)}};
    if (!styles.empty())
        members.push_back({"word/styles.xml", "<w:styles " + kW + ">" + styles + "</w:styles>"});
    if (!footnotes.empty())
        members.push_back(
            {"word/footnotes.xml", "<w:footnotes " + kW + ">" + footnotes + "</w:footnotes>"});
    if (!endnotes.empty())
        members.push_back(
            {"word/endnotes.xml", "<w:endnotes " + kW + ">" + endnotes + "</w:endnotes>"});
    if (!numbering.empty())
        members.push_back(
            {"word/numbering.xml", "<w:numbering " + kW + ">" + numbering + "</w:numbering>"});
    return MakeZip(members);
}

inline std::u16string DocxText(const std::string& bytes) {
    const ReadResult r = ReadDocxBytes(bytes);
    EXPECT_TRUE(r.ok) << r.error;
    return r.document.text();
}

inline std::string WRun(const std::string& text, const std::string& props = "") {
    return "<w:r>" + (props.empty() ? "" : "<w:rPr>" + props + "</w:rPr>") +
           R"(<w:t xml:space="preserve">)" + text + "</w:t></w:r>";
}

inline const std::string kOdfNs =
    R"(xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" )"
    R"(xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" )"
    R"(xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" )"
    R"(xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" )"
    R"(xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" )"
    R"(xmlns:dc="http://purl.org/dc/elements/1.1/")";

inline std::string Content(const std::string& text, const std::string& automatic = "") {
    return R"(<?xml version="1.0" encoding="UTF-8"?><office:document-content )" + kOdfNs +
           "><office:automatic-styles>" + automatic +
           "</office:automatic-styles><office:body><office:text>" + text +
           "</office:text></office:body></office:document-content>";
}

inline std::string Odt(const std::string& content, const std::string& styles = "") {
    std::vector<std::pair<std::string, std::string>> members = {
        {"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", content}};
    if (!styles.empty())
        members.push_back({"styles.xml", "<office:document-styles " + kOdfNs + "><office:styles>" +
                                             styles + "</office:styles></office:document-styles>"});
    return MakeZip(members);
}

}  // namespace vernalo::test::office
