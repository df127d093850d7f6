#!/usr/bin/env bash
# tonarion-cli from end to end on a FAT32 image mounted with fusefat.
#   cli_on_fat.sh PATH/TO/tonarion-cli
set -euo pipefail
cli=$1
work=$(mktemp -d)
stick=$work/stick
music=$work/music
mkdir -p "$stick" "$music"
cleanup() { fusermount -u "$stick" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

truncate -s 40M "$work/stick.img"
mkfs.vfat -F 32 "$work/stick.img" >/dev/null
fusefat -o rw+ "$work/stick.img" "$stick" >/dev/null 2>&1

failures=0
check() { # description, then the command that must succeed
    local what=$1; shift
    if ! "$@"; then echo "FAILED: $what"; failures=$((failures + 1)); fi
}
status_of() { set +e; "$@" >"$work/out" 2>"$work/err"; echo $?; set -e; }

crlf() { printf '%s\r\n' "$@"; }
defaults() {
    crlf SET_-0001-00021.mp3 SET_-0002-00180.mp3 SET_-0003-00028.mp3 \
         SET_-0004-00002.mp3 SET_-0005-00000.mp3 SET_-0006-00000.mp3
}

"$cli" init "$stick"
check "init writes the fresh index" cmp -s <(crlf "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH"; defaults) "$stick/tonkat.tkx"

printf 'pfiff' > "$music/pfiff.mp3"
name=$("$cli" bind "$stick" --file "$music/pfiff.mp3" --event M --status G --mode M --prio 2 --adr1 12)
check "bind prints the name" test "$name" = MGM2-0012-00000.mp3
check "bind copies the sound" cmp -s "$music/pfiff.mp3" "$stick/MGM2-0012-00000.mp3"
check "bind writes the index" cmp -s <(crlf "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH" \
    "MGM2-0012-00000.mp3;$music/pfiff.mp3"; defaults) "$stick/tonkat.tkx"

"$cli" show "$stick" > "$work/show"
check "show prints the headers" grep -qxP 'NR\tFilename\tPfad\tEreigniss\tStatus\tModus\tPriorität /Ausblendzeit\tAdresse 1. /von\tAdresse 2. /bis' "$work/show"
check "show prints the row" grep -qxP "1\tMGM2-0012-00000.mp3\t$music/pfiff.mp3\tMagnetartikel\tGRÜN\tMIT ERLAUBNIS\t2\t0012\t00000" "$work/show"
check "show prints the counters" grep -qx "nachste zeilenposition: 2" "$work/show"

"$cli" bind "$stick" --row 1 --event R --status F --mode O --prio 1 --adr1 5 --adr2 8 >/dev/null
check "re-binding deletes the old file" test ! -e "$stick/MGM2-0012-00000.mp3"
check "and puts the new one" cmp -s "$music/pfiff.mp3" "$stick/RFO1-0005-00008.mp3"

for n in 1 2 3; do
    printf "random $n" > "$music/z$n.mp3"
    "$cli" bind "$stick" --file "$music/z$n.mp3" --event Z --mode M >/dev/null
done
"$cli" delete "$stick" 2
check "deleting random 1 renumbers 2 and 3" cmp -s "$music/z2.mp3" "$stick/ZUM_-0001-00000.mp3"
check "the last number is free" test ! -e "$stick/ZUM_-0003-00000.mp3"
check "the index follows" grep -q "ZUM_-0002-00000.mp3;$music/z3.mp3" "$stick/tonkat.tkx"

"$cli" settings "$stick" --volume 25 --model-time 240 >/dev/null
check "settings write the model time" test -e "$stick/SET_-0002-00240.mp3"
"$cli" settings "$stick" > "$work/settings"
check "settings show the volume" grep -qx "Lautstärke: 25" "$work/settings"

check "verify passes" "$cli" verify "$stick"
rm "$stick/RFO1-0005-00008.mp3"
check "verify finds a missing file" test "$(status_of "$cli" verify "$stick")" = 1

# A commit interrupted between writing the new index and moving it over the old one.
mv "$stick/tonkat.tkx" "$stick/tonkat.tkx.tmp"
cp "$stick/tonkat.tkx.tmp" "$work/index"
check "show shows an interrupted commit's index" grep -q "ZUM_-0002-00000.mp3" <("$cli" show "$stick" 2>/dev/null)
check "repair finishes the commit" "$cli" repair "$stick" >/dev/null
check "the temporary index became the index" cmp -s "$work/index" "$stick/tonkat.tkx"
check "and is gone" test ! -e "$stick/tonkat.tkx.tmp"
printf 'Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\nZUM_-0001' > "$stick/tonkat.tkx.tmp"
check "a half-written temporary index goes" "$cli" repair "$stick" >/dev/null
check "and the index stays" cmp -s "$work/index" "$stick/tonkat.tkx"
check "without the temporary one" test ! -e "$stick/tonkat.tkx.tmp"

check "repair brought back the missing file" cmp -s "$music/pfiff.mp3" "$stick/RFO1-0005-00008.mp3"

# A lost index: init lists what the stick holds.
rm "$stick/tonkat.tkx"
"$cli" init "$stick" 2>"$work/err"
check "init tells how many sounds it took over" grep -qx "Auf dem USB-Stick wurden 3 Sounddateien gefunden und übernommen." "$work/err"
check "and lists them with their stick paths" grep -qx "ZUM_-0001-00000.mp3;$stick/ZUM_-0001-00000.mp3"$'\r' "$stick/tonkat.tkx"
check "and keeps the module's volume" grep -qx "SET_-0001-00025.mp3"$'\r' "$stick/tonkat.tkx"
check "the taken-over stick verifies" "$cli" verify "$stick"

drives_status=$(status_of "$cli" drives)
if [ "$drives_status" = 1 ]; then
    check "no drive: the message" grep -q "Kein USB Stick/Laufwerk angeschlossen." "$work/err"
else
    check "drives are listed" grep -q "^USB-Laufwerk /" "$work/out"
fi

[ $failures -eq 0 ] && echo "tonarion-cli on FAT32: all checks passed"
exit $((failures > 0))
