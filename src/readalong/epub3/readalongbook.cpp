#include "readalong/epub3/readalongbook.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "export/exportplan.h"
#include "readalong/epub3/bookcontent.h"
#include "readalong/epub3/epubcontainer.h"
#include "readalong/soundlead.h"
#include "text/textcodec.h"

namespace vernalo {

namespace {

namespace fs = std::filesystem;

// The language most of the spoken text is in.
std::string BookLanguage(const Timeline& timeline) {
    long russian = 0, english = 0;
    for (const PartTimeline& part : timeline.parts)
        for (const TimedPiece& p : part.pieces)
            if (p.repetition == 0)
                (p.language == Language::Russian ? russian : english) += p.text.length;
    return english > russian ? "en" : "ru";
}

// A name that stays the book's as long as its text and title do.
std::string BookIdentifier(const std::u16string& text, const std::string& title) {
    std::uint64_t a = 14695981039346656037ull, b = 1099511628211ull * 31;
    for (char16_t c : text) {
        a = (a ^ c) * 1099511628211ull;
        b = (b ^ (c * 7u + 1)) * 1099511628211ull;
    }
    for (char c : title)
        a = (a ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "urn:uuid:%08llx-%04llx-4%03llx-a%03llx-%012llx",
                  static_cast<unsigned long long>(a >> 32),
                  static_cast<unsigned long long>((a >> 16) & 0xffff),
                  static_cast<unsigned long long>(a & 0xfff),
                  static_cast<unsigned long long>((b >> 48) & 0xfff),
                  static_cast<unsigned long long>(b & 0xffffffffffffull));
    return buffer;
}

std::string NowUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return buffer;
}

// The book's chapters, one for each audio file: from where its first chapter starts to where
// the next file's does, so that text with nothing spoken stays in the chapter before it.
std::vector<BookChapter> Chapters(const Timeline& timeline, long textSize) {
    std::vector<BookChapter> chapters;
    for (std::size_t i = 0; i < timeline.parts.size(); ++i) {
        const PartTimeline& part = timeline.parts[i];
        BookChapter c;
        c.title = part.chapters.empty() ? part.title : part.chapters.front().title;
        c.textStart = i == 0 || part.chapters.empty() ? 0 : part.chapters.front().textStart;
        c.textEnd = textSize;
        char name[32];
        std::snprintf(name, sizeof name, "c%02zu", i + 1);
        c.name = name;
        c.part = AsDecoded(part);
        if (!chapters.empty()) chapters.back().textEnd = c.textStart;
        chapters.push_back(std::move(c));
    }
    return chapters;
}

std::vector<ContainerFile> BookFiles(const ReadAlongRequest& request,
                                     const std::vector<BookChapter>& chapters,
                                     const BookInfo& info) {
    std::vector<ContainerFile> files;
    std::vector<std::int64_t> durations;
    for (const BookChapter& c : chapters) {
        const ChapterXhtml xhtml = MakeChapterXhtml(request.document, c, info);
        std::int64_t ms = 0;
        std::string overlay = MakeOverlay(c, xhtml.ids, &ms);
        durations.push_back(overlay.empty() ? -1 : ms);
        files.push_back({"OEBPS/" + c.name + ".xhtml", xhtml.xhtml, {}, true});
        if (!overlay.empty())
            files.push_back({"OEBPS/" + c.name + ".smil", std::move(overlay), {}, true});
        files.push_back({"OEBPS/audio/" + c.name + ".mp3", {}, c.part.path, false});
    }
    files.insert(files.begin(),
                 {{"OEBPS/content.opf", MakePackage(chapters, durations, info), {}, true},
                  {"OEBPS/nav.xhtml", MakeNavigation(chapters, info), {}, true},
                  {"OEBPS/style.css", BookStyle(), {}, true}});
    return files;
}

}  // namespace

bool IsReadAlongBookPath(const std::string& path) {
    std::string suffix = fs::path(path).extension().string();
    for (char& c : suffix)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return suffix == ".epub";
}

ExportResult ExportReadAlongBook(const ReadAlongRequest& request,
                                 const DictionaryStore& dictionaries,
                                 const std::function<void(double)>& progress,
                                 const std::atomic<bool>& cancel) {
    const fs::path book(request.audio.path);
    const std::string stem = book.stem().string();
    ExportRequest audio = request.audio;
    std::string title = audio.album.empty() ? Utf16ToUtf8(request.document.title) : audio.album;
    if (audio.chapters.empty()) {
        std::vector<HeadingMark> marks;
        for (const Heading& h : request.document.headings)
            marks.push_back({static_cast<long>(h.position), h.level, Utf16ToUtf8(h.title)});
        CutByChapters(audio, marks, title, stem);
    }
    if (title.empty()) title = audio.album.empty() ? stem : audio.album;
    // The audio is made in a folder of its own beside the book and goes with it.
    const fs::path folder =
        book.parent_path() / ("." + book.filename().string() + "." + std::to_string(::getpid()));
    std::error_code ec;
    fs::remove_all(folder, ec);
    if (!fs::create_directory(folder, ec)) {
        ExportResult failed;
        failed.error = "cannot write '" + request.audio.path + "': " + ec.message();
        return failed;
    }
    audio.path = (folder / "book.mp3").string();
    ExportResult result = ExportAudio(audio, dictionaries, progress, cancel);
    // The audio's files are the book's own business: a failure names the book.
    if (const auto why = result.error.find("': "); !result.ok && why != std::string::npos)
        result.error = "cannot write '" + request.audio.path + result.error.substr(why);
    if (result.ok && cancel) {
        result.ok = false;
        result.cancelled = true;
    }
    if (result.ok) {
        BookInfo info{title, request.author, BookLanguage(result.timeline),
                      BookIdentifier(audio.text, title), NowUtc()};
        const auto chapters = Chapters(result.timeline, static_cast<long>(audio.text.size()));
        std::string error;
        if (!WriteEpubContainer(request.audio.path, "OEBPS/content.opf",
                                BookFiles(request, chapters, info), &error)) {
            result.ok = false;
            result.error = "cannot write '" + request.audio.path + "': " + error;
        }
    }
    fs::remove_all(folder, ec);
    result.files.clear();
    result.playlist.clear();
    if (result.ok) result.files.push_back(request.audio.path);
    return result;
}

}  // namespace vernalo
