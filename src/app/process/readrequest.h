#pragma once
// `vernalo --read-selection`, `--read-clipboard` and `--read-text TEXT|-`: a text from another
// program for the window to read. The starting process takes the text itself, so a running
// window only receives it (never waits on another program's selection), and a start with
// nothing to read ends at once with a message.

#include <QString>
#include <QStringList>
#include <optional>

class QCommandLineParser;

namespace vernalo {

struct ReadRequest {
    enum class Source { Selection, Clipboard, Text };
    Source source = Source::Text;
    QString text;  // for Text: the text, or "-" for standard input
};

// Adds the options to a parser (so --help lists them).
void AddReadOptions(QCommandLineParser& parser);

// What the command line asks for: nothing (no read option), a request, or a mistake in
// `error` (two read options, files beside one).
std::optional<ReadRequest> ParseReadRequest(const QStringList& arguments, QString* error);

// The text to read, taken from the selection, the clipboard, the command line or standard
// input (UTF-8). Needs the application object for the first two.
QString TakeText(const ReadRequest& request);

// The message for a request that found nothing to read.
QString NothingToReadMessage(const ReadRequest& request);

// When a window already holds `dataFolder`: takes the text with the least of an application
// object the source needs (none of the window's), hands it over and gives the exit status.
// Nothing when no window runs: this start is to become the window.
std::optional<int> HandToRunningWindow(int argc, char** argv, const ReadRequest& request,
                                       const QString& dataFolder);

}  // namespace vernalo
