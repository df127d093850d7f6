#!/usr/bin/env bash
# What scripts rely on, from outside the program: the JSON parses and carries what show and
# verify found, the README quotes the current --help, and bash completes the commands.
#   cli_scripting.sh PATH/TO/tonarion-cli PATH/TO/README.md
set -euo pipefail
cli=$1
readme=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stick=$work/stick
mkdir -p "$stick" "$work/music"

source "$(dirname "$0")/../support/check.sh"
# Runs python3 on the JSON document in $work/json, which must parse; the checks are asserts.
json_has() { python3 -c "import json, sys; d = json.load(open('$work/json')); assert $1, d" ; }

"$cli" init "$stick"
printf 'pfiff' > "$work/music/pfiff \"1\".mp3"
printf 'zufall' > "$work/music/z.mp3"
"$cli" bind "$stick" --file "$work/music/pfiff \"1\".mp3" --event M --status G --mode M --prio 2 --adr1 12 >/dev/null
"$cli" bind "$stick" --file "$work/music/z.mp3" --event Z --mode M >/dev/null

"$cli" show "$stick" --json > "$work/json"
check "show --json carries the counters" json_has "d['counters']['cntMRL'] == 1 and d['counters']['cntZufall'] == 1 and d['counters']['nextRow'] == 3"
check "the rows with their texts" json_has "[r['filename'] for r in d['rows']] == ['MGM2-0012-00000.mp3', 'ZUM_-0001-00000.mp3'] and d['rows'][0]['source'].endswith('pfiff \"1\".mp3')"
check "kind, numbers and the stick file's state" json_has "(d['rows'][0]['kind'], d['rows'][0]['number1'], d['rows'][0]['onStick'], d['rows'][0]['current']) == ('M', 12, True, True)"
check "and the settings with their values" json_has "[(s['number'], s['value']) for s in d['settings']][0] == (1, 21)"

"$cli" export "$stick" --csv "$work/liste.csv"
csv_has() { python3 -c "import sys; b = open('$work/liste.csv', 'rb').read(); l = b.split(b'\r\n'); assert $1, b" ; }
check "export writes the list for spreadsheets" csv_has "b.startswith(b'\xef\xbb\xbfNR;Filename;Pfad;') and l[1].startswith(b'1;MGM2-0012-00000.mp3;') and l[1].endswith('Magnetartikel 12, grün, Priorität 2, unterbrechbar – pfiff \"\"1\"\".mp3\"'.encode()) and l[2].startswith(b'2;ZUM_') and l[3] == b''"

rm "$stick/ZUM_-0001-00000.mp3"
: > "$stick/tonkat.tkx.tmp"
set +e; "$cli" verify "$stick" --json >"$work/json" 2>/dev/null; status=$?; set -e
check "verify --json exits 1 on a problem" test "$status" = 1
check "with every problem's kind and file" json_has "sorted((p['kind'], p['file']) for p in d['problems']) == [('missing sound', 'ZUM_-0001-00000.mp3'), ('temporary file', 'tonkat.tkx.tmp')] and not d['ok']"
check "and the counters" json_has "d['counters']['total'] == 2"

sed -n '/^```text$/,/^```$/p' "$readme" | sed '1d;$d' > "$work/readme-help"
check "the README quotes tonarion-cli --help" cmp -s "$work/readme-help" <("$cli" --help)

completes() { # the words typed so far, then the word being completed; prints the choices
    bash -c 'source <("$0" completion bash); COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
             _tonarion_cli; printf "%s\n" "${COMPREPLY[@]}"' "$cli" "$@"
}
check "bash completes the commands" test "$(completes tonarion-cli ve)" = verify
for command in $("$cli" --help | sed -n '/^Commands:/,/^$/p' | awk '/^  [a-z]/ {print $1}'); do
    check "bash knows $command" grep -qx "$command" <(completes tonarion-cli "")
done
check "and the options of bind" grep -qx -- "--position" <(completes tonarion-cli bind "$stick" --pos)
check "and the kinds" test "$(completes tonarion-cli bind "$stick" --event Z | tr -d '\n')" = Z

finish "tonarion-cli for scripts"
