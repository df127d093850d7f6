#!/usr/bin/env bash
# What scripts rely on, from outside the program: the JSON and the help stay as recorded, the
# README quotes the current --help, and bash completes the commands.
#   cli_scripting.sh PATH/TO/tonarion-cli PATH/TO/README.md
set -euo pipefail
cli=$1
readme=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stick=$work/stick
mkdir -p "$stick" "$work/music"

source "$(dirname "$0")/../support/check.sh"

"$cli" init "$stick"
printf 'pfiff' > "$work/music/pfiff \"1\".mp3"
printf 'zufall' > "$work/music/z.mp3"
"$cli" bind "$stick" --file "$work/music/pfiff \"1\".mp3" --event M --status G --mode M --prio 2 --adr1 12 >/dev/null
"$cli" bind "$stick" --file "$work/music/z.mp3" --event Z --mode M >/dev/null

"$cli" export "$stick" --csv "$work/liste.csv"
csv_has() { python3 -c "import sys; b = open('$work/liste.csv', 'rb').read(); l = b.split(b'\r\n'); assert $1, b" ; }
check "export writes the list for spreadsheets" csv_has "b.startswith(b'\xef\xbb\xbfNR;Filename;Pfad;') and l[1].startswith(b'1;MGM2-0012-00000.mp3;') and l[1].endswith('Magnetartikel 12, grün, Priorität 2, unterbrechbar – pfiff \"\"1\"\".mp3\"'.encode()) and l[2].startswith(b'2;ZUM_') and l[3] == b''"

rm "$stick/ZUM_-0001-00000.mp3"
: > "$stick/tonkat.tkx.tmp"

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

# What scripts and the man pages read stays byte for byte as recorded in tests/cli/recorded/
# (TONARION_RECORD=1 writes them anew): every help text, and the JSON of a stick with rows of
# every kind and settings, of one with findings and of check on an MP3 and a renamed WAV.
got=$work/got
mkdir -p "$got"
record() { # NAME COMMAND...: stdout, the temporary folder named WORK, and the exit status
    local name=$1 status=0
    shift
    "$cli" "$@" >"$work/raw" 2>/dev/null || status=$?
    sed -e "s|$work|WORK|g" -e 's|\("kind":"wrong file system","file":"\)[^"]*|\1FS|' \
        -e 's|^wrong file system: .*|wrong file system: FS|' "$work/raw" \
        >"$got/$name"
    echo "$name $status" >>"$got/statuses"
}
record help --help
for command in $("$cli" --help | sed -n '/^Commands:/,/^$/p' | awk '/^  [a-z]/ {print $1}'); do
    record "help-$command" "$command" --help
    check "help $command says what $command --help does" cmp -s "$got/help-$command" \
        <("$cli" help "$command")
done
"$cli" >/dev/null 2>"$got/usage" || true

kinds=$work/kinds
for _ in $(seq 40); do printf '\xff\xfb\x90\x00'; head -c 413 /dev/zero; done >"$work/music/echt.mp3"
printf 'RIFF\x24\x00\x00\x00WAVEfmt ' >"$work/music/wav.mp3"
for file in "Grüße.mp3" r.mp3 l.mp3 k.mp3 u.mp3 e.mp3; do printf '%s' "$file" >"$work/music/$file"; done
mkdir "$kinds" && "$cli" init "$kinds"
bind_kind() { "$cli" bind "$kinds" --file "$work/music/$1" "${@:2}" >/dev/null 2>&1; }
bind_kind echt.mp3 --event M --status R --mode O --prio 1 --adr1 7 --adr2 9
bind_kind "Grüße.mp3" --event R --status B --mode M --prio 3 --adr1 100
bind_kind l.mp3 --event L --status 2 --mode M --prio 2 --adr1 3 --category loco --loco 42
bind_kind k.mp3 --event K --status A --mode O --prio 4 --contact-from 2 --contact-to 5
bind_kind r.mp3 --event Z --mode M
bind_kind u.mp3 --event U --mode O --time 06:15
bind_kind e.mp3 --event=E --position=3
"$cli" settings "$kinds" --volume 5 --model-time 90 --start-time 06:15 --stretch 3 \
    --clock-sync 1 --endless-address 12
record show-kinds.json show "$kinds" --json
record show-kinds.txt show "$kinds"
record settings-kinds.txt settings "$kinds"
record verify-kinds.json verify "$kinds" --json
record verify-findings.json verify "$stick" --json
: >"$stick/._$(printf '\xfc')ber.mp3"
mkdir "$stick/.Trashes"
: >"$stick/SET_-0001-00007.mp3"
record verify-more-findings.json verify "$stick" --json
record verify-more-findings.txt verify "$stick"
record check.json check "$work/music/echt.mp3" "$work/music/wav.mp3" --json
record check.txt check "$work/music/echt.mp3" "$work/music/wav.mp3"
recorded=$(dirname "$0")/recorded
if [ -n "${TONARION_RECORD:-}" ]; then
    rm -rf "$recorded" && cp -r "$got" "$recorded"
fi
check "the outputs stay as recorded" diff -r "$recorded" "$got"
for json in "$got"/*.json; do
    check "$(basename "$json") parses" python3 -m json.tool "$json" >/dev/null
done

finish "tonarion-cli for scripts"
