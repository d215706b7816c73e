#!/bin/bash
# Typed words the speech dictionary lacks are heard all the same: brand and
# place names, digits, abbreviations and symbols (tests/audio/names.txt),
# spoken by espeak-ng in two voices, each file heard as exactly its phrase.
# A word with no Latin letters or digits is the only one reported.
# usage: names_test.sh QUILLMERE_HEAR
set -uo pipefail
hear=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/synth.sh"
set +e  # failures are counted, not fatal
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mapfile -t names < "$here/names.txt"
# The names among the usual phrases, as the program writes words.txt, with
# one phrase in Cyrillic letters.
{
    printf '[Grammar]\r\nlangid=1033\r\n'
    for p in "${names[@]}"; do printf '<start>=%s\r\n' "$p"; done
    while IFS= read -r p; do printf '<start>=%s\r\n' "$p"; done < "$here/phrases.txt"
    printf '<start>=open \xd0\x9f\xd0\xbe\xd1\x87\xd1\x82\xd0\xb0\r\n'
} > words.txt

for voice in en-us en-gb; do
    files=()
    for i in "${!names[@]}"; do
        say "$voice" 155 "${names[$i]}" "$voice-$i.wav"
        files+=("$voice-$i.wav")
    done
    "$hear" words.txt "${files[@]}" > out.tsv 2> err.txt || fail "$voice: exit $?: $(cat err.txt)"
    for i in "${!names[@]}"; do
        got=$(awk -F'\t' -v f="$voice-$i.wav" '$1 == f { print $3 }' out.tsv)
        [ "$got" = "${names[$i]}" ] || fail "$voice: \"${names[$i]}\" heard as \"$got\""
    done
done

# Only the Cyrillic word is reported, and its phrase left out.
grep -v 'Почта' err.txt | grep -q . && fail "more than the Cyrillic word reported: $(cat err.txt)"
grep -q 'unknown word: Почта' err.txt || fail "the Cyrillic word was not reported: $(cat err.txt)"

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all passed"
