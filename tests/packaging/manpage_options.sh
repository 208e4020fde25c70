#!/bin/sh
# Every option a program's --help prints, and every command it lists, is in its man page.
#   manpage_options.sh PROGRAM MANPAGE
set -eu
program=$1
page=$2
help=$(QT_QPA_PLATFORM=offscreen "$program" --help)
# The page as plain text: roff's minus signs and font changes undone.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIR]//g' "$page")
options=$(printf '%s\n' "$help" | grep -oE -- '(^|[^A-Za-z0-9-])--?[a-z][a-z0-9-]*' |
          grep -oE -- '--?[a-z][a-z0-9-]*' | sort -u)
commands=$(printf '%s\n' "$help" | awk '/^Commands:/ { on = 1; next } /^$/ { on = 0 } on && /^  [a-z]/ { print $1 }')
[ -n "$options" ] || { echo "no options found in the --help of $program"; exit 1; }
missing=0
for word in $options $commands; do
    if ! printf '%s\n' "$text" | grep -qE -- "(^|[^A-Za-z0-9-])$word([^A-Za-z0-9-]|\$)"; then
        echo "in --help but not in $(basename "$page"): $word"
        missing=1
    fi
done
exit $missing
