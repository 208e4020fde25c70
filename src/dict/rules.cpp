#include "dict/rules.h"
#include "dict/rulesfile.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <utility>

#include "text/fileio.h"
#include "text/textcodec.h"

namespace vernalo {
namespace {

// PCRE2's 16-bit functions take its own unit type; char16_t has the same size and layout.
PCRE2_SPTR Units(const char16_t* s) {
    return reinterpret_cast<PCRE2_SPTR>(s);
}

std::string ErrorText(int code) {
    PCRE2_UCHAR buffer[256];
    const int n = pcre2_get_error_message(code, buffer, 256);
    if (n < 0) return "error " + std::to_string(code);
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(buffer),
                                           static_cast<std::size_t>(n)));
}

bool IsLineBreak(char16_t c) {
    return c == u'\n' || c == u'\r' || c == 0x0B || c == 0x0C || c == 0x85 || c == 0x2028 ||
           c == 0x2029;
}

struct Compiled {
    pcre2_code* code = nullptr;
    std::string error;
};

Compiled Compile(std::u16string_view pattern) {
    Compiled r;
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    // Any line break ends a line for ^, $ and '.', as the editor breaks lines.
    pcre2_set_newline(context, PCRE2_NEWLINE_ANY);
    int code = 0;
    PCRE2_SIZE at = 0;
    r.code = pcre2_compile(Units(pattern.data()), pattern.size(),
                           PCRE2_UTF | PCRE2_UCP | PCRE2_MULTILINE | PCRE2_MATCH_INVALID_UTF, &code,
                           &at, context);
    pcre2_compile_context_free(context);
    if (!r.code) r.error = ErrorText(code) + " at " + std::to_string(at + 1);
    return r;
}

}  // namespace

struct RuleSet::Rule {
    int line = 0;
    pcre2_code* code = nullptr;
    std::u16string replacement;
    mutable std::atomic<bool> leftOut{false};
    ~Rule() { pcre2_code_free(code); }
};

std::optional<std::string> RulePatternError(std::u16string_view pattern) {
    if (pattern.empty()) return "the pattern is empty";
    Compiled c = Compile(pattern);
    if (!c.code) return c.error;
    pcre2_code_free(c.code);
    return std::nullopt;
}

RuleSet::RuleSet(std::string_view bytes, std::string source) : source_(std::move(source)) {
    // The file as the editor reads it, so that both take the same lines for rules.
    const RulesFile file = ParseRulesFile(bytes);
    std::vector<std::pair<int, std::string>> problems;
    for (int line : file.unsplitLines)
        problems.emplace_back(line, "no \" = \" between a pattern and its replacement");
    for (const RuleEntry& entry : file.rules) {
        if (entry.pattern.empty()) {
            problems.emplace_back(entry.line, "the pattern is empty");
            continue;
        }
        Compiled c = Compile(entry.pattern);
        if (!c.code) {
            problems.emplace_back(entry.line, "the pattern does not compile: " + c.error);
            continue;
        }
        // Compiled to machine code where the platform allows; the interpreter otherwise.
        pcre2_jit_compile(c.code, PCRE2_JIT_COMPLETE);
        auto rule = std::make_unique<Rule>();
        rule->line = entry.line;
        rule->code = c.code;
        rule->replacement = entry.replacement;
        uint32_t groups = 0;
        pcre2_pattern_info(c.code, PCRE2_INFO_CAPTURECOUNT, &groups);
        maxGroups_ = std::max<std::size_t>(maxGroups_, groups + 1);
        rules_.push_back(std::move(rule));
    }
    std::stable_sort(problems.begin(), problems.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [line, why] : problems)
        problems_.push_back(source_ + ":" + std::to_string(line) + ": " + why);
}

RuleSet::~RuleSet() = default;

void RuleSet::leaveOut(const Rule& rule, const std::string& why) const {
    if (rule.leftOut.exchange(true)) return;
    std::lock_guard lock(mutex_);
    matchProblems_.push_back(source_ + ":" + std::to_string(rule.line) + ": " + why +
                             "; the rule is left out");
}

std::vector<std::string> RuleSet::takeMatchProblems() const {
    std::lock_guard lock(mutex_);
    return std::exchange(matchProblems_, {});
}

void RuleSet::findMatches(std::u16string_view text, long from, long to,
                          std::vector<RuleMatch>& out) const {
    if (rules_.empty() || from >= to) return;
    std::vector<RuleMatch> found;  // in text order
    pcre2_match_data* data = pcre2_match_data_create(static_cast<uint32_t>(maxGroups_), nullptr);
    pcre2_match_context* context = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(context, kMatchLimit);
    pcre2_set_depth_limit(context, kDepthLimit);
    pcre2_set_heap_limit(context, kHeapLimitKiB);
    // The subject is the window: every call's cost is bounded by it, not by the text before.
    const PCRE2_SPTR subject = Units(text.data() + from);
    const auto length = static_cast<PCRE2_SIZE>(to - from);
    std::u16string speech;
    for (const auto& rule : rules_) {
        if (rule->leftOut) continue;
        PCRE2_SIZE offset = 0;
        while (offset < length) {
            const int rc = pcre2_match(rule->code, subject, length, offset, 0, data, context);
            if (rc == PCRE2_ERROR_NOMATCH) break;
            if (rc < 0) {
                leaveOut(*rule, rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT ||
                                        rc == PCRE2_ERROR_HEAPLIMIT ||
                                        rc == PCRE2_ERROR_JIT_STACKLIMIT
                                    ? "the pattern took too long on a line (" + ErrorText(rc) + ")"
                                    : "the pattern failed: " + ErrorText(rc));
                break;
            }
            const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data);
            const long start = from + static_cast<long>(ov[0]);
            const long end = from + static_cast<long>(ov[1]);
            offset = std::max(ov[1], ov[0] + 1);
            // An empty match has nothing to read; one across a line break is not of one line.
            if (end <= start ||
                std::any_of(text.begin() + start, text.begin() + end, IsLineBreak)) {
                offset = ov[0] + 1;
                continue;
            }
            auto at = std::lower_bound(found.begin(), found.end(), start,
                                       [](const RuleMatch& m, long s) { return m.start < s; });
            if ((at != found.end() && at->start < end) ||
                (at != found.begin() && std::prev(at)->start + std::prev(at)->length > start))
                continue;  // an earlier rule has this text
            speech.resize(rule->replacement.size() + 64);
            PCRE2_SIZE size = speech.size();
            const uint32_t options = PCRE2_SUBSTITUTE_MATCHED | PCRE2_SUBSTITUTE_REPLACEMENT_ONLY |
                                     PCRE2_SUBSTITUTE_EXTENDED | PCRE2_SUBSTITUTE_UNSET_EMPTY |
                                     PCRE2_NO_UTF_CHECK | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH;
            int sub = pcre2_substitute(rule->code, subject, length, ov[0], options, data, context,
                                       Units(rule->replacement.data()), rule->replacement.size(),
                                       reinterpret_cast<PCRE2_UCHAR*>(speech.data()), &size);
            if (sub == PCRE2_ERROR_NOMEMORY) {
                speech.resize(size);
                sub = pcre2_substitute(rule->code, subject, length, ov[0], options, data, context,
                                       Units(rule->replacement.data()), rule->replacement.size(),
                                       reinterpret_cast<PCRE2_UCHAR*>(speech.data()), &size);
            }
            if (sub < 0) {
                leaveOut(*rule, "the replacement failed: " + ErrorText(sub));
                break;
            }
            speech.resize(size);
            found.insert(at, RuleMatch{start, end - start, speech});
        }
    }
    pcre2_match_context_free(context);
    pcre2_match_data_free(data);
    out.insert(out.end(), std::make_move_iterator(found.begin()),
               std::make_move_iterator(found.end()));
}

bool LoadRulesFile(const std::string& path, std::shared_ptr<const RuleSet>& rules,
                   std::string* error) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    rules = std::make_shared<const RuleSet>(bytes, path);
    return true;
}

}  // namespace vernalo
