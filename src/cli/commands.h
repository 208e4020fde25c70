#pragma once
// The subcommands of vernalo-cli. Each returns the process exit status:
// 0 done, 1 the work failed, 2 bad usage or unreadable input.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vernalo::cli {

using Args = std::vector<std::string>;

int Pieces(const Args& args);
int Convert(const Args& args);
int Voices(const Args& args);
int Speak(const Args& args);
int Say(const Args& args);
int Audiobook(const Args& args);
int Html2Rtf(const Args& args);

// The tool's positions count from 1, as they always have (scripts read them); everywhere else
// positions are 0-based. These two are the one place they are converted.
inline long Shown(long position) {
    return position + 1;
}
inline long FromShown(long shown) {
    return shown - 1;
}

// Prints "vernalo-cli: message" on standard error and returns 2.
int UsageError(const std::string& message);
// The same for an option the command does not know, with the hint an unknown command gets.
int UnknownOption(const std::string& option);

// Takes the value after the option at args[i], moving i onto it; false when there is none.
bool TakeValue(const Args& args, std::size_t& i, std::string& value);
// A decimal number from min to max, and nothing else.
bool ParseNumber(const std::string& text, int min, int max, int& value);

// Writes a command's result to standard output: 0, or 1 with a message when that fails.
int WriteResult(std::string_view bytes);
// Reads a file (or standard input for "-") whole; false with `error` set on failure.
bool ReadInput(const std::string& path, std::string& bytes, std::string& error);
// How messages name an input: the file's name, or "standard input" for "-".
std::string InputName(const std::string& path);
// Prints "vernalo-cli: Cannot read NAME: this is not a text document." and returns 2.
int NotTextError(const std::string& path);

}  // namespace vernalo::cli
