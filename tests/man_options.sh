#!/usr/bin/env bash
# Every option of --help is in the man page, and the man page has no other.
#   man_options.sh PROGRAM MANPAGE
set -u
prog=$1
page=$2
fail() { echo "FAIL: $*"; exit 1; }
help=$("$prog" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
man=$(sed 's/\\-/-/g' "$page" | grep -o -- '--[a-z][a-z-]*' | sort -u)
[ -n "$help" ] || fail "$prog --help lists no option"
missing=$(comm -23 <(echo "$help") <(echo "$man"))
extra=$(comm -13 <(echo "$help") <(echo "$man"))
[ -z "$missing" ] || fail "$(basename "$page") lacks $(echo $missing)"
[ -z "$extra" ] || fail "$(basename "$page") has options --help has not: $(echo $extra)"
# the page reads without a warning of man's formatter
if command -v man >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
fi
echo "$(basename "$page"): $(echo $help | wc -w) options, as --help"
