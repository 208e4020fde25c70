// vernalo-cli audiobook: many books, each into one file with chapter marks (or a file per
// chapter), named from its title. Each book is read by a copy of `vernalo-cli say` of its own,
// two at a time: both cores stay busy, and a damaged book fails alone.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "documents/read.h"
#include "export/chapters.h"
#include "export/formats/audioformat.h"
#include "text/fileio.h"
#include "text/textcodec.h"

extern char** environ;

namespace vernalo::cli {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Books converted at once: one per core.
constexpr std::size_t kAtOnce = 2;

struct Book {
    explicit Book(std::string file) : input(std::move(file)) {}
    std::string input;
    std::string title;
    std::string target;  // the file (or, split, the folder) it becomes
    enum State { Waiting, Running, Done, Skipped, Failed } state = Waiting;
    std::string reason;  // why it failed
    pid_t pid = -1;
    int pipe = -1;     // the copy's messages
    std::string said;  // what it printed
    int percent = 0;
};

struct AudiobookArgs {
    std::string outDir;
    const AudioFormat* format = nullptr;
    bool split = false;
    std::vector<std::string> inputs;
};

int ParseArgs(const Args& args, AudiobookArgs& out) {
    std::string suffix = "m4b";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--out-dir") {
            if (!TakeValue(args, i, out.outDir)) return UsageError("--out-dir needs a folder");
        } else if (args[i] == "--format") {
            if (!TakeValue(args, i, suffix)) return UsageError("--format needs a suffix");
        } else if (args[i] == "--split") {
            out.split = true;
        } else if (args[i].starts_with("--")) {
            return UnknownOption(args[i]);
        } else {
            out.inputs.push_back(args[i]);
        }
    }
    out.format = FormatForSuffix(suffix);
    if (!out.format) return UsageError("--format takes one of " + KnownSuffixes());
    if (!out.split && !out.format->chapters)
        return UsageError(std::string(out.format->name) +
                          " files cannot hold chapter marks: use another --format or --split");
    if (out.outDir.empty() || out.inputs.empty())
        return UsageError("audiobook needs --out-dir DIR and at least one book or folder");
    return 0;
}

// The books named: files as given, and a folder's books (by their suffixes) in name order.
std::vector<Book> Collect(const std::vector<std::string>& inputs) {
    std::vector<Book> books;
    for (const std::string& input : inputs) {
        std::error_code error;
        if (!fs::is_directory(input, error)) {
            books.emplace_back(input);
            continue;
        }
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(input, error)) {
            const std::string name = entry.path().string();
            const DocumentKind kind = DocumentKindOf(Utf8ToUtf16(name));
            if (entry.is_regular_file() &&
                (kind == DocumentKind::Epub || kind == DocumentKind::Fb2 ||
                 kind == DocumentKind::Fb2Zip))
                found.push_back(name);
        }
        std::sort(found.begin(), found.end());
        for (const std::string& name : found)
            books.emplace_back(name);
    }
    return books;
}

// Reads each book's title and names its file after it; two books of one title are told apart
// by their order. A book that cannot be read fails here, saying why.
void Name(std::vector<Book>& books, const AudiobookArgs& a) {
    std::set<std::string> taken;
    for (Book& book : books) {
        std::string bytes, error;
        ReadResult read;
        if (ReadWholeFile(book.input, bytes, &error))
            read = ReadDocument(bytes, Utf8ToUtf16(book.input));
        if (!read.ok) {
            book.state = Book::Failed;
            book.reason = error.empty() ? (read.error.empty() ? "no text" : read.error) : error;
            continue;
        }
        book.title = Utf16ToUtf8(read.document.title);
        std::string name = SafeFileName(book.title);
        if (name.empty()) name = fs::path(book.input).stem().string();
        std::string unique = name;
        for (int n = 2; !taken.insert(unique).second; ++n)
            unique = name + " (" + std::to_string(n) + ")";
        if (book.title.empty()) book.title = unique;
        book.target = (fs::path(a.outDir) / unique).string();
        if (!a.split) book.target += std::string(".") + a.format->suffixes.front();
        std::error_code exists;
        if (fs::exists(book.target, exists)) book.state = Book::Skipped;
    }
}

bool Start(Book& book, const AudiobookArgs& a) {
    int fds[2];
    if (::pipe(fds) != 0) return false;
    std::string out = book.target;
    std::vector<std::string> args = {"vernalo-cli", "say", "--out"};
    if (a.split) {
        fs::create_directories(book.target);
        out =
            (fs::path(book.target) / (std::string("book.") + a.format->suffixes.front())).string();
        args.insert(args.end(), {out, "--split", "chapters"});
    } else {
        args.insert(args.end(), {out, "--chapters"});
    }
    args.push_back(book.input);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const int status =
        posix_spawn(&book.pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (status != 0) {
        ::close(fds[0]);
        return false;
    }
    book.pipe = fds[0];
    book.state = Book::Running;
    return true;
}

// Takes what a copy printed: its share done ("reading N%"), and the rest for a failure.
void Take(Book& book) {
    char buffer[4096];
    const ssize_t n = ::read(book.pipe, buffer, sizeof buffer);
    if (n > 0) {
        book.said.append(buffer, static_cast<std::size_t>(n));
        const auto at = book.said.rfind("reading ");
        if (at != std::string::npos) book.percent = std::atoi(book.said.c_str() + at + 8);
        return;
    }
    ::close(book.pipe);
    book.pipe = -1;
    int status = 0;
    ::waitpid(book.pid, &status, 0);
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    book.state = ok ? Book::Done : Book::Failed;
    if (ok) return;
    // A failed split leaves its folder empty; gone, it is not taken as done next time.
    std::error_code error;
    if (fs::is_directory(book.target, error)) fs::remove(book.target, error);
    // Its last message is the reason.
    std::string said = book.said;
    while (!said.empty() && said.back() == '\n')
        said.pop_back();
    said = said.substr(said.find_last_of("\n\r") + 1);
    book.reason = said.starts_with("vernalo-cli: ") ? said.substr(13) : said;
}

// The state of things: on a terminal one line redrawn, a bar with the books under way and the
// time left; otherwise a plain line as each book starts and ends.
class Progress {
public:
    explicit Progress(std::size_t toDo) : toDo_(toDo), terminal_(::isatty(STDERR_FILENO)) {}

    void show(const std::vector<Book>& books) {
        double done = 0;
        std::string running;
        for (const Book& b : books) {
            if (b.state == Book::Done || (b.state == Book::Failed && b.pid > 0)) done += 1;
            if (b.state != Book::Running) continue;
            done += b.percent / 100.0;
            running += " | " + b.title + " " + std::to_string(b.percent) + "%";
        }
        if (!terminal_) return;
        const double share = toDo_ ? done / double(toDo_) : 1;
        const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
        const int bar = static_cast<int>(share * 20);
        std::string line = "\r[" + std::string(bar, '#') + std::string(20 - bar, '.') + "]";
        if (share > 0.01) line += " " + Minutes(elapsed / share - elapsed) + " left";
        line += running;
        // Kept to a line of a terminal, cut between characters.
        std::size_t end = std::min<std::size_t>(line.size(), 160);
        while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
            --end;
        std::cerr << line.substr(0, end) << "\x1b[K" << std::flush;
    }
    // Takes the bar away before the summary.
    void clear() {
        if (terminal_) std::cerr << "\r\x1b[K" << std::flush;
    }
    // A plain line for a book starting or ending.
    void tell(const std::string& line) {
        std::cerr << (terminal_ ? "\r\x1b[K" : "") << "vernalo-cli: " << line << "\n";
    }

private:
    static std::string Minutes(double seconds) {
        const long s = std::lround(std::max(0.0, seconds));
        char text[32];
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
        return text;
    }

    std::size_t toDo_;
    bool terminal_;
    Clock::time_point start_ = Clock::now();
};

// Runs the waiting books, kAtOnce at a time, until all are over.
void RunAll(std::vector<Book>& books, const AudiobookArgs& a) {
    const auto toDo = static_cast<std::size_t>(std::count_if(
        books.begin(), books.end(), [](const Book& b) { return b.state == Book::Waiting; }));
    Progress progress(toDo);
    for (;;) {
        std::size_t running = 0;
        for (const Book& b : books)
            running += b.state == Book::Running;
        for (Book& b : books) {
            if (running >= kAtOnce || b.state != Book::Waiting) continue;
            if (!Start(b, a)) {
                b.state = Book::Failed;
                b.reason = "cannot start a reader";
                continue;
            }
            progress.tell("reading '" + b.title + "' into '" + b.target + "'");
            ++running;
        }
        if (running == 0) return progress.clear();
        std::vector<pollfd> fds;
        std::vector<Book*> owners;
        for (Book& b : books)
            if (b.state == Book::Running) {
                fds.push_back({b.pipe, POLLIN, 0});
                owners.push_back(&b);
            }
        ::poll(fds.data(), fds.size(), 1000);
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (!fds[i].revents) continue;
            Take(*owners[i]);
            const Book& b = *owners[i];
            if (b.state == Book::Done) progress.tell("done '" + b.target + "'");
            if (b.state == Book::Failed) progress.tell("failed '" + b.title + "': " + b.reason);
        }
        progress.show(books);
    }
}

}  // namespace

int Audiobook(const Args& args) {
    AudiobookArgs parsed;
    if (int status = ParseArgs(args, parsed)) return status;
    std::vector<Book> books = Collect(parsed.inputs);
    if (books.empty()) return UsageError("no books found in " + parsed.inputs.front());
    std::error_code error;
    fs::create_directories(parsed.outDir, error);
    if (error) return UsageError("cannot make '" + parsed.outDir + "': " + error.message());
    Name(books, parsed);
    RunAll(books, parsed);
    std::size_t counts[5] = {};
    for (const Book& b : books)
        ++counts[b.state];
    std::cerr << "vernalo-cli: " << counts[Book::Done] << " done, " << counts[Book::Skipped]
              << " skipped (already there), " << counts[Book::Failed] << " failed\n";
    for (const Book& b : books)
        if (b.state == Book::Failed) std::cerr << "  " << b.input << ": " << b.reason << "\n";
    return counts[Book::Failed] > 0 ? 1 : 0;
}

}  // namespace vernalo::cli
