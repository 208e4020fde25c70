// vernalo-cli: the reading engine from the command line.

#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

#include "cli/commands.h"
#include "dict/dictfile.h"
#include "speech/sounddevice.h"

namespace vernalo::cli {

int UsageError(const std::string& message) {
    std::cerr << "vernalo-cli: " << message << "\n";
    return 2;
}

int UnknownOption(const std::string& option) {
    return UsageError("unknown option '" + option + "' (try --help)");
}

bool TakeValue(const Args& args, std::size_t& i, std::string& value) {
    if (i + 1 >= args.size()) return false;
    value = args[++i];
    return true;
}

bool ParseNumber(const std::string& text, int min, int max, int& value) {
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && p == text.data() + text.size() && value >= min && value <= max;
}

int WriteResult(std::string_view bytes) {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
    if (std::cout) return 0;
    std::cerr << "vernalo-cli: cannot write the result\n";
    return 1;
}

bool ReadInput(const std::string& path, std::string& bytes, std::string& error) {
    if (path == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (std::cin.bad()) {
            error = "cannot read standard input";
            return false;
        }
        return true;
    }
    return ReadWholeFile(path, bytes, &error);
}

std::string InputName(const std::string& path) {
    if (path == "-") return "standard input";
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int NotTextError(const std::string& path) {
    return UsageError("Cannot read " + InputName(path) + ": this is not a text document.");
}

namespace {

struct Command {
    const char* name;
    int (*run)(const Args&);
    const char* usage;
};

const Command kCommands[] = {
    {"pieces", Pieces,
     "pieces [--mode word|sentence] [--no-ru | --no-en] [--dict-ru FILE] [--dict-en FILE]\n"
     "         [--rules-ru FILE] [--rules-en FILE] [--from N] [FILE | -]\n"
     "      print the pieces a text is read in, one JSON object per line"},
    {"convert", Convert,
     "convert FILE [--to txt|rtf] [-o OUT] [--verbose]\n"
     "      read a file as the editor does (rich text, else plain text in the encoding it is\n"
     "      found to be in) and write its plain text (UTF-8, LF line breaks) or rich text;\n"
     "      --verbose names the format and encoding found on standard error; the text of\n"
     "      scanned pages and pictures is recognised, the pages counted on standard error"},
    {"voices", Voices,
     "voices\n"
     "      list the voices: number, mode name, speaker, product, speed range, normal speed,\n"
     "      engine (built-in or speech-dispatcher), whether it writes files"},
    {"speak", Speak,
     "speak [--voice NAME] [--speed N] [--wav OUT] TEXT\n"
     "      speak a text with one voice (by speaker name), or write it to a WAV file"},
    {"say", Say,
     "say [--mode word|sentence] [--no-ru | --no-en] [--repeat-ru N] [--repeat-en N]\n"
     "         [--voice-ru NAME] [--voice-en NAME] [--speed-ru N] [--speed-en N]\n"
     "         [--dict-ru FILE] [--dict-en FILE] [--rules-ru FILE] [--rules-en FILE]\n"
     "         [--repeat-text] [--print-pieces] [--pause-after 0|1|2]\n"
     "         [--wav OUT | --out OUT [--split-minutes N | --split chapters | --chapters]\n"
     "          [--subtitles srt|vtt|lrc]] [FILE | -]\n"
     "      read a text aloud as the Say button does (sentence mode unless told), or write\n"
     "      the whole reading, repeats included, to one WAV file; --out writes MP3, M4B\n"
     "      audiobook (AAC), Ogg Opus, Ogg Vorbis, FLAC or WAV by the suffix (.mp3 .m4b .m4a\n"
     "      .opus .ogg .flac .wav), and\n"
     "      --split-minutes into numbered files of about N minutes cut at sentence ends,\n"
     "      --split chapters into one file per chapter (\"01 - Title.mp3\") beside OUT and\n"
     "      an M3U playlist named as OUT, --chapters into one file with a chapter mark where\n"
     "      each top-level heading begins (not WAV); a book's cover, author, language and\n"
     "      year go into the files' tags; --subtitles writes x.srt (.vtt, .lrc) beside each\n"
     "      x.mp3 written, one cue each time a piece is spoken;\n"
     "      --pause-after leaves a silence after each piece as long as it (1) or twice (2),\n"
     "      time to say it after the voice; --repeat-text starts over\n"
     "      at the end until interrupted (Ctrl+C), --print-pieces prints each piece as it is\n"
     "      highlighted ({\"from\":N,\"to\":M}, positions as pieces gives them)"},
    {"audiobook", Audiobook,
     "audiobook --out-dir DIR [--format m4b|m4a|mp3|opus|ogg|flac] [--split] BOOK|FOLDER...\n"
     "      each book (a folder's EPUB and FB2 books) into one file with chapter marks named\n"
     "      from its title in DIR, or with --split into a folder of chapter files; books\n"
     "      already there are skipped, two are read at once; a summary of done, skipped and\n"
     "      failed books (with why) comes last, and the status is 1 when any failed"},
    {"html2rtf", Html2Rtf,
     "html2rtf [FILE | -]\n"
     "      convert an HTML page's text to rich text (Windows-1251 bytes) on standard output"},
};

void PrintHelp() {
    std::cout << "Usage: vernalo-cli COMMAND [OPTIONS]\n\nCommands:\n";
    for (const Command& c : kCommands)
        std::cout << "  " << c.usage << "\n";
    std::cout << "\nOptions: --help, --version\n";
}

}  // namespace
}  // namespace vernalo::cli

int main(int argc, char** argv) {
    using namespace vernalo::cli;
    std::ios::sync_with_stdio(false);
    if (argc < 2) {
        PrintHelp();
        return 2;
    }
    std::string cmd = argv[1];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        PrintHelp();
        return 0;
    }
    if (cmd == "--version") {
        std::cout << "vernalo-cli " VERNALO_VERSION "\n";
        return 0;
    }
    Args args(argv + 2, argv + argc);
    for (const Command& c : kCommands) {
        if (cmd != c.name) continue;
        for (const auto& a : args) {
            if (a == "--help" || a == "-h") {
                std::cout << "Usage: vernalo-cli " << c.usage << "\n";
                return 0;
            }
        }
        int status;
        try {
            status = c.run(args);
        } catch (const std::exception& e) {
            std::cerr << "vernalo-cli: " << e.what() << "\n";
            status = 1;
        }
        // The command is done and its files are closed.
        return vernalo::ExitAfterSound(status);
    }
    return UsageError("unknown command '" + cmd + "' (try --help)");
}
