#pragma once
// Reading rules: regular expressions that turn what a whole-word dictionary cannot catch
// (abbreviations with stops, numbers with signs) into words for the voice.
//
// A rules file is read as rulesfile.h says. The pattern is PCRE2 in UTF and Unicode-property
// mode, matched within one line of the text being read; the replacement is PCRE2's extended
// substitution text ($1, ${name}, $$, ${1:+if set:if not}, \\ for a backslash). Rules are
// tried in file order: a match that overlaps one of an earlier rule is dropped. Every match
// costs at most a fixed amount of work, so a pattern that backtracks without end stops, is
// reported with its file and line, and is left out from then on.

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vernalo {

// Why a pattern cannot be used (PCRE2's message and where in the pattern), or none.
std::optional<std::string> RulePatternError(std::u16string_view pattern);

// One stretch of the text a rule matched, and what the voice is given for it.
struct RuleMatch {
    long start = 0;  // 0-based, UTF-16 units of the text
    long length = 0;
    std::u16string speech;
};

struct CompiledRule;  // one line's pattern as PCRE2 compiled it, and its replacement

class RuleSet {
public:
    // Parses a rules file's bytes. `source` names the file in problem reports; lines that
    // cannot be used are left out and named in problems(). A rule is searched for only where
    // PCRE2's analysis of it says a match can begin; `narrow` false searches every window
    // whole, which finds the same.
    RuleSet(std::string_view bytes, std::string source, bool narrow = true);
    ~RuleSet();
    RuleSet(const RuleSet&) = delete;
    RuleSet& operator=(const RuleSet&) = delete;

    std::size_t size() const { return rules_.size(); }
    bool empty() const { return rules_.empty(); }
    const std::string& source() const { return source_; }
    // "FILE:LINE: why" for every line left out when parsing.
    const std::vector<std::string>& problems() const { return problems_; }

    // The matches in text[from, to), in text order and none overlapping. `from` is where a
    // line begins and `to` where one ends (or the text's end); lookbehinds see nothing before
    // `from`. Safe to call from several threads at once.
    void findMatches(std::u16string_view text, long from, long to,
                     std::vector<RuleMatch>& out) const;
    // "FILE:LINE: why" for every rule left out while matching since the last call.
    std::vector<std::string> takeMatchProblems() const;

    // The work one match may take (PCRE2's match limit) and the memory it may use.
    static constexpr unsigned kMatchLimit = 2'000'000;
    static constexpr unsigned kDepthLimit = 10'000;
    static constexpr unsigned kHeapLimitKiB = 16 * 1024;

private:
    void leaveOut(const CompiledRule& rule, const std::string& why) const;

    std::string source_;
    std::vector<std::unique_ptr<CompiledRule>> rules_;
    std::vector<std::string> problems_;
    std::size_t maxGroups_ = 1;
    mutable std::mutex mutex_;
    mutable std::vector<std::string> matchProblems_;
};

// Reads and parses a rules file. False with `error` set when it cannot be read; a missing
// file is not an error for callers that look for optional files: check FileExists first.
bool LoadRulesFile(const std::string& path, std::shared_ptr<const RuleSet>& rules,
                   std::string* error = nullptr);

}  // namespace vernalo
