# Renders one page of manpages.txt as a man page (roff), so both programs' pages come from
# one source and share its sections on files, environment and the data folder.
#   awk -v page=NAME -v version=V -v date=YYYY-MM-DD -f render-man.awk manpages.txt
# Source lines: "@page NAME SUMMARY" starts a page, "@both" a part shared by every page,
# "# TITLE" a section, "- TERM" an item whose text follows, four spaces an example line,
# **bold** and *italic* inline; a blank line starts a paragraph.
function inline(s,    out) {
    gsub(/\\/, "\\e", s)
    out = ""
    while (match(s, /\*\*[^*]+\*\*|\*[^*]+\*/)) {
        token = substr(s, RSTART, RLENGTH)
        bold = substr(token, 2, 1) == "*"
        word = bold ? substr(token, 3, RLENGTH - 4) : substr(token, 2, RLENGTH - 2)
        # Options and commands are typed: a real minus sign, not a hyphen.
        if (bold) gsub(/-/, "\\-", word)
        out = out substr(s, 1, RSTART - 1) (bold ? "\\fB" : "\\fI") word "\\fR"
        s = substr(s, RSTART + RLENGTH)
    }
    out = out s
    if (out ~ /^[.']/) out = "\\&" out
    return out
}
function endExample() { if (example) { print ".fi"; print ".RE"; example = 0 } }
# A blank line becomes a paragraph break only when more text follows in the same section.
function text(line) { if (pending) print ".PP"; pending = 0; fresh = 0; print line }
/^@page / {
    endExample()
    active = ($2 == page)
    if (active) {
        summary = $0; sub(/^@page [^ ]+ /, "", summary)
        print ".TH " toupper(page) " 1 \"" date "\" \"" page " " version "\" \"User Commands\""
        print ".SH NAME"
        print page " \\- " summary
    }
    next
}
/^@both/ { endExample(); active = 1; next }
!active { next }
/^    / {
    if (!example) { pending = 0; print ".RS"; print ".nf"; example = 1 }
    line = substr($0, 5); gsub(/\\/, "\\e", line); gsub(/-/, "\\-", line)
    if (line ~ /^[.']/) line = "\\&" line
    print line
    next
}
{ endExample() }
/^# / { print ".SH " substr($0, 3); pending = 0; fresh = 1; next }
/^- / { print ".TP"; print inline(substr($0, 3)); pending = 0; fresh = 1; next }
/^$/ { if (!fresh) pending = 1; next }
{ text(inline($0)) }
END { endExample() }
