#include "dict/rules.h"
#include "dict/rulesfile.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "dict/rulestarts.h"
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

struct Compiled {
    pcre2_code* code = nullptr;
    std::string error;
};

Compiled Compile(std::u16string_view pattern, uint32_t options = 0) {
    Compiled r;
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    // Any line break ends a line for ^, $ and '.', as the editor breaks lines.
    pcre2_set_newline(context, PCRE2_NEWLINE_ANY);
    int code = 0;
    PCRE2_SIZE at = 0;
    r.code =
        pcre2_compile(Units(pattern.data()), pattern.size(),
                      PCRE2_UTF | PCRE2_UCP | PCRE2_MULTILINE | PCRE2_MATCH_INVALID_UTF | options,
                      &code, &at, context);
    pcre2_compile_context_free(context);
    if (!r.code) r.error = ErrorText(code) + " at " + std::to_string(at + 1);
    return r;
}

PatternFacts FactsOf(const pcre2_code* code) {
    PatternFacts f;
    pcre2_pattern_info(code, PCRE2_INFO_FIRSTCODETYPE, &f.firstCodeType);
    pcre2_pattern_info(code, PCRE2_INFO_FIRSTCODEUNIT, &f.firstCodeUnit);
    pcre2_pattern_info(code, PCRE2_INFO_FIRSTBITMAP, &f.firstBitmap);
    pcre2_pattern_info(code, PCRE2_INFO_LASTCODETYPE, &f.lastCodeType);
    pcre2_pattern_info(code, PCRE2_INFO_LASTCODEUNIT, &f.lastCodeUnit);
    uint32_t options = 0;
    pcre2_pattern_info(code, PCRE2_INFO_ALLOPTIONS, &options);
    f.anchored = (options & PCRE2_ANCHORED) != 0;
    return f;
}

}  // namespace

struct CompiledRule {
    int line = 0;
    uint32_t index = 0;   // in the file's order
    uint32_t groups = 0;  // capture groups
    pcre2_code* code = nullptr;
    pcre2_code* limitedCode = nullptr;  // with PCRE2_USE_OFFSET_LIMIT, when starts narrows
    MatchStarts starts;                 // where in a window its matches can begin
    std::u16string replacement;
    bool literal = false;  // the replacement is the speech as it stands
    bool memo = false;     // its speech depends on the captured texts only
    mutable std::atomic<bool> leftOut{false};
    ~CompiledRule() {
        pcre2_code_free(code);
        pcre2_code_free(limitedCode);
    }
};

std::optional<std::string> RulePatternError(std::u16string_view pattern) {
    if (pattern.empty()) return "the pattern is empty";
    Compiled c = Compile(pattern);
    if (!c.code) return c.error;
    pcre2_code_free(c.code);
    return std::nullopt;
}

RuleSet::RuleSet(std::string_view bytes, std::string source, bool narrow)
    : source_(std::move(source)) {
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
        auto rule = std::make_unique<CompiledRule>();
        if (narrow) rule->starts = MatchStarts(entry.pattern, FactsOf(c.code));
        if (rule->starts.narrows()) {
            // Searched a stretch at a time, which takes a pattern compiled for it; that one
            // searches a whole window more slowly, so both are kept.
            rule->limitedCode = Compile(entry.pattern, PCRE2_USE_OFFSET_LIMIT).code;
            if (rule->limitedCode)
                pcre2_jit_compile(rule->limitedCode, PCRE2_JIT_COMPLETE);
            else
                rule->starts = MatchStarts();
        }
        // Compiled to machine code where the platform allows; the interpreter otherwise.
        pcre2_jit_compile(c.code, PCRE2_JIT_COMPLETE);
        rule->line = entry.line;
        rule->code = c.code;
        rule->replacement = entry.replacement;
        rule->index = static_cast<uint32_t>(rules_.size());
        // Without $ or \\ the extended replacement text has nothing to expand.
        rule->literal = rule->replacement.find_first_of(u"$\\") == std::u16string::npos;
        // (*MARK) names are not captured texts; $` and $' (newer PCRE2) see past the match.
        rule->memo = entry.pattern.find(u"(*") == std::u16string::npos &&
                     rule->replacement.find(u"$`") == std::u16string::npos &&
                     rule->replacement.find(u"$'") == std::u16string::npos &&
                     rule->replacement.find(u"$_") == std::u16string::npos;
        pcre2_pattern_info(c.code, PCRE2_INFO_CAPTURECOUNT, &rule->groups);
        maxGroups_ = std::max<std::size_t>(maxGroups_, rule->groups + 1);
        rules_.push_back(std::move(rule));
    }
    std::stable_sort(problems.begin(), problems.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [line, why] : problems)
        problems_.push_back(source_ + ":" + std::to_string(line) + ": " + why);
}

RuleSet::~RuleSet() = default;

void RuleSet::leaveOut(const CompiledRule& rule, const std::string& why) const {
    if (rule.leftOut.exchange(true)) return;
    std::lock_guard lock(mutex_);
    matchProblems_.push_back(source_ + ":" + std::to_string(rule.line) + ": " + why +
                             "; the rule is left out");
}

std::vector<std::string> RuleSet::takeMatchProblems() const {
    std::lock_guard lock(mutex_);
    return std::exchange(matchProblems_, {});
}

namespace {

// The speech found for captured texts during one findMatches call.
struct Memo {
    std::u16string key;
    std::unordered_map<std::u16string, std::u16string> speech;
};

// The speech for the match in `data`; PCRE2's error code when the replacement fails.
int Expand(const CompiledRule& rule, const pcre2_code* code, PCRE2_SPTR subject, std::size_t length,
           pcre2_match_data* data, pcre2_match_context* context, Memo& memo,
           std::u16string& speech) {
    if (rule.literal) {
        speech = rule.replacement;
        return 0;
    }
    // The same captured texts give the same speech: a long replacement with many conditional
    // groups costs more to expand than the match took, and the same few words recur.
    const uint32_t pairs = pcre2_get_ovector_count(data);
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data);
    std::u16string& key = memo.key;
    key.clear();
    if (rule.memo) {
        key.push_back(static_cast<char16_t>(rule.index));
        key.push_back(static_cast<char16_t>(rule.index >> 16));
    }
    for (uint32_t g = 0; rule.memo && g < std::min(pairs, rule.groups + 1); ++g) {
        if (ov[2 * g] == PCRE2_UNSET) {
            key.append(2, char16_t(0xFFFF));  // no length is that long
            continue;
        }
        if (ov[2 * g + 1] < ov[2 * g]) {  // \K in a lookahead: left to PCRE2 every time
            key.clear();
            break;
        }
        const std::size_t n = ov[2 * g + 1] - ov[2 * g];
        key.push_back(static_cast<char16_t>(n));
        key.push_back(static_cast<char16_t>(n >> 16));
        key.append(reinterpret_cast<const char16_t*>(subject) + ov[2 * g], n);
    }
    const bool memoize = !key.empty();
    if (const auto known = memoize ? memo.speech.find(key) : memo.speech.end();
        known != memo.speech.end()) {
        speech = known->second;
        return 0;
    }
    speech.resize(rule.replacement.size() + 64);
    PCRE2_SIZE size = speech.size();
    const uint32_t options = PCRE2_SUBSTITUTE_MATCHED | PCRE2_SUBSTITUTE_REPLACEMENT_ONLY |
                             PCRE2_SUBSTITUTE_EXTENDED | PCRE2_SUBSTITUTE_UNSET_EMPTY |
                             PCRE2_NO_UTF_CHECK | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH;
    int sub = pcre2_substitute(code, subject, length, ov[0], options, data, context,
                               Units(rule.replacement.data()), rule.replacement.size(),
                               reinterpret_cast<PCRE2_UCHAR*>(speech.data()), &size);
    if (sub == PCRE2_ERROR_NOMEMORY) {
        speech.resize(size);
        sub = pcre2_substitute(code, subject, length, ov[0], options, data, context,
                               Units(rule.replacement.data()), rule.replacement.size(),
                               reinterpret_cast<PCRE2_UCHAR*>(speech.data()), &size);
    }
    if (sub < 0) return sub;
    speech.resize(size);
    if (memoize) memo.speech.emplace(key, speech);
    return 0;
}

}  // namespace

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
    // A narrowed rule is searched a stretch at a time; the other contexts hold no offset limit.
    pcre2_match_context* limited = pcre2_match_context_copy(context);
    RuleWindow window(text.substr(static_cast<std::size_t>(from), length));
    std::vector<StartSpan> spans;
    Memo memo;
    std::u16string speech;
    for (const auto& rule : rules_) {
        if (rule->leftOut) continue;
        const bool narrowed = rule->starts.spans(window, spans);
        if (!narrowed) spans.assign(1, StartSpan{0, length - 1});
        const pcre2_code* code = narrowed ? rule->limitedCode : rule->code;
        PCRE2_SIZE offset = 0;
        bool failed = false;
        // The earlier rules' matches come first, in text order; this rule's follow, in text
        // order too and none overlapping, and are merged in when it is done.
        const std::size_t earlier = found.size();
        std::size_t after = 0;  // the first earlier match from the last start on
        for (auto span = spans.begin(); span != spans.end() && !failed; ++span) {
            if (span->last < offset) continue;
            offset = std::max(offset, span->first);
            if (narrowed) pcre2_set_offset_limit(limited, span->last);
            while (offset <= span->last) {
                const int rc = pcre2_match(code, subject, length, offset, 0, data,
                                           narrowed ? limited : context);
                if (rc == PCRE2_ERROR_NOMATCH) break;
                if (rc < 0) {
                    leaveOut(*rule,
                             rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT ||
                                     rc == PCRE2_ERROR_HEAPLIMIT || rc == PCRE2_ERROR_JIT_STACKLIMIT
                                 ? "the pattern took too long on a line (" + ErrorText(rc) + ")"
                                 : "the pattern failed: " + ErrorText(rc));
                    failed = true;
                    break;
                }
                const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data);
                const long start = from + static_cast<long>(ov[0]);
                const long end = from + static_cast<long>(ov[1]);
                offset = std::max(ov[1], ov[0] + 1);
                // An empty match has nothing to read; one across a line break is not of one line.
                if (end <= start ||
                    std::any_of(text.begin() + start, text.begin() + end, IsRuleLineBreak)) {
                    offset = ov[0] + 1;
                    continue;
                }
                while (after < earlier && found[after].start < start)
                    ++after;
                if ((after < earlier && found[after].start < end) ||
                    (after > 0 && found[after - 1].start + found[after - 1].length > start))
                    continue;  // an earlier rule has this text
                const int sub = Expand(*rule, code, subject, length, data, context, memo, speech);
                if (sub < 0) {
                    leaveOut(*rule, "the replacement failed: " + ErrorText(sub));
                    failed = true;
                    break;
                }
                found.push_back(RuleMatch{start, end - start, speech});
            }
        }
        std::inplace_merge(
            found.begin(), found.begin() + static_cast<long>(earlier), found.end(),
            [](const RuleMatch& a, const RuleMatch& b) { return a.start < b.start; });
    }
    pcre2_match_context_free(limited);
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
