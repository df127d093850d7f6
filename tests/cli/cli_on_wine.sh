#!/usr/bin/env bash
# tonarion-cli.exe from end to end under Wine, on a drive letter that stands for a stick.
#   cli_on_wine.sh PATH/TO/tonarion-cli.exe PATH/TO/wine64
# WINEPREFIX names a prefix that wineboot has prepared. For its run the script maps T: to a
# folder that plays the stick and S: to one that plays the computer's music folder.
set -euo pipefail
cli=$(realpath "$1")
wine=$2
: "${WINEPREFIX:?names the Wine prefix to run in}"
# Wine takes the command line's bytes in the locale's character set: UTF-8 for the umlauts.
export WINEDEBUG=-all LC_ALL=C.UTF-8
work=$(mktemp -d)
stick=$work/stick
music=$work/music
mkdir -p "$stick" "$music/Grüße" "$music/Żółć"
cleanup() { rm -f "$WINEPREFIX/dosdevices/t:" "$WINEPREFIX/dosdevices/s:"; rm -rf "$work"; }
trap cleanup EXIT
ln -sfn "$stick" "$WINEPREFIX/dosdevices/t:"
ln -sfn "$music" "$WINEPREFIX/dosdevices/s:"

failures=0
check() { # description, then the command that must succeed
    local what=$1; shift
    if ! "$@"; then echo "FAILED: $what"; failures=$((failures + 1)); fi
}
# Runs the program; its exit status goes to stdout, its output (CR LF made LF) to out and err.
status_of() {
    set +e; "$wine" "$cli" "$@" >"$work/out.raw" 2>"$work/err.raw"; local status=$?; set -e
    tr -d '\r' <"$work/out.raw" >"$work/out"
    tr -d '\r' <"$work/err.raw" >"$work/err"
    echo $status
}
succeeds() { test "$(status_of "$@")" = 0; }

crlf() { printf '%s\r\n' "$@"; }
header() { crlf "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH"; }
# Whether a line of the index file matches a basic regular expression, given as a printf
# format so that the Windows-1252 bytes can be written as \xHH.
index_has() { LC_ALL=C grep -qax -- "$(printf "$1")" "$stick/tonkat.tkx"; }
defaults() {
    crlf SET_-0001-00021.mp3 SET_-0002-00180.mp3 SET_-0003-00028.mp3 \
         SET_-0004-00002.mp3 SET_-0005-00000.mp3 SET_-0006-00000.mp3
}

check "init on T:" succeeds init 'T:'
check "writes the fresh index" cmp -s <(header; defaults) "$stick/tonkat.tkx"

printf 'pfiff' > "$music/Grüße/pfiff.mp3"
check "bind a sound from S:" succeeds bind 'T:\' --file 'S:\Grüße\pfiff.mp3' \
    --event M --status G --mode M --prio 2 --adr1 12
check "prints the name" test "$(cat "$work/out")" = MGM2-0012-00000.mp3
check "copies the sound" cmp -s "$music/Grüße/pfiff.mp3" "$stick/MGM2-0012-00000.mp3"
# ü and ß as the single bytes 0xFC and 0xDF of Windows-1252.
check "writes the index in Windows-1252" cmp -s <(header
    printf 'MGM2-0012-00000.mp3;S:\\Gr\xfc\xdfe\\pfiff.mp3\r\n'; defaults) "$stick/tonkat.tkx"

printf 'zufall' > "$music/Grüße/Ärger.mp3"
bind_relative() {
    (cd "$music/Grüße" && "$wine" "$cli" bind 'T:\' --file 'Ärger.mp3' --event Z --mode M >/dev/null)
}
check "bind a file named relative to the current folder" bind_relative
check "copies it" cmp -s "$music/Grüße/Ärger.mp3" "$stick/ZUM_-0001-00000.mp3"
check "and names its absolute path" \
    index_has '^ZUM_-0001-00000.mp3;[A-Z]:\\\\.*Gr\xfc\xdfe\\\\\xc4rger.mp3\r$'

printf 'psalm' > "$music/Żółć/ψαλμός.mp3"
check "refuses a sound from a Polish folder with a Greek name" \
    test "$(status_of bind 'T:\' --file 'S:\Żółć\ψαλμός.mp3' --event M --status R --mode O \
        --prio 1 --adr1 7)" = 1
check "naming it" grep -qF 'S:\Żółć\ψαλμός.mp3' "$work/err"
check "and stores nothing of it" test ! -e "$stick/MRO1-0007-00000.mp3"

# The look into a sound opens it by its wide name: an umlaut in the folder does not hide it.
for _ in $(seq 114); do printf '\xff\xfb\x90\x00'; head -c 413 /dev/zero; done >"$music/Grüße/echt.mp3"
check "check decodes a sound in a folder with umlauts" succeeds check 'S:\Grüße\echt.mp3'
check "and tells its format" test "$(cat "$work/out")" = \
    'S:\Grüße\echt.mp3: OK, MPEG-1 Layer III, 44,1 kHz, 128 kbit/s, Stereo, 0:03'

check "show" succeeds show 'T:\'
check "prints the headers" grep -qxP 'NR\tFilename\tPfad\tEreigniss\tStatus\tModus\tPriorität /Ausblendzeit\tAdresse 1. /von\tAdresse 2. /bis' "$work/out"
check "prints the row in UTF-8" grep -qxP '1\tMGM2-0012-00000.mp3\tS:\\Grüße\\pfiff.mp3\tMagnetartikel\tGRÜN\tMIT ERLAUBNIS\t2\t0012\t00000' "$work/out"
check "prints the counters" grep -qx "nachste zeilenposition: 3" "$work/out"

cp "$stick/tonkat.tkx" "$work/before.tkx"
check "delete row 1" succeeds delete 'T:\' 1
check "deletes its sound" test ! -e "$stick/MGM2-0012-00000.mp3"
check "and its index line" cmp -s <(grep -av '^MGM2-0012-00000.mp3;' "$work/before.tkx") \
    "$stick/tonkat.tkx"
check "keeps the other sounds" cmp -s "$music/Grüße/Ärger.mp3" "$stick/ZUM_-0001-00000.mp3"

check "verify passes" succeeds verify 'T:\'
check "and counts every file" grep -qE "^OK: 7 of 7 files on the stick(, 1 warning)?$" "$work/out"
rm "$stick/SET_-0003-00028.mp3"
check "verify finds a missing setting file" test "$(status_of verify 'T:\')" = 1
check "and names it" grep -qx "missing setting: SET_-0003-00028.mp3" "$work/out"

# Wine puts no drive on the USB bus.
check "drives finds no stick" test "$(status_of drives)" = 1
check "and says so" cmp -s <(printf '%s\n' "Kein USB Stick/Laufwerk angeschlossen." \
    "Schließen Sie bitte einen geeigneten USB-Stick an den PC an." "" \
    "Das Programm wird beendet!") "$work/err"

[ $failures -eq 0 ] && echo "tonarion-cli.exe under Wine: all checks passed"
exit $((failures > 0))
