#!/usr/bin/env bash
# What a user meets from outside the program, driven through tonarion-cli as real processes on
# real folders; every check compares the bytes under each EntryName with what the index lists.
# - A stick filled to its last block (a tmpfs): deleting a row, and a random row that moves the
#   others down, goes through.
# - A changed source that its user may not read (run as nobody): the other changes go through,
#   the stick keeps that sound's last copy, and the message names the file and the cause.
# - A file whose name Windows-1252 cannot spell is refused by name, and nothing is stored.
# - A stick mounted elsewhere while another stick takes its old path keeps its own sounds.
#   stick_identity.sh PATH/TO/tonarion-cli       needs root for the tmpfs and for nobody
set -euo pipefail
cli=$1
[ "$(id -u)" -eq 0 ] || { echo "needs root"; exit 77; }
work=$(mktemp -d)
mounted=
trap '[ -z "$mounted" ] || umount "$mounted"; rm -rf "$work"' EXIT
chmod 755 "$work"

source "$(dirname "$0")/../support/check.sh"

# The stick as its index says: each listed EntryName with the bytes of the file it names.
is_as_listed() { # STICK NAME=FILE...
    python3 "$(dirname "$0")/stick_holds.py" "$@" || failures=$((failures + 1))
}

bind() { # STICK FILE EVENT-OPTIONS...: prints the EntryName
    local stick=$1 file=$2
    shift 2
    "$cli" bind "$stick" --file "$file" "$@" 2>/dev/null
}

# A full stick: a tmpfs of 64 blocks, filled to the last one behind the sounds.
full=$work/full
mkdir -p "$full" "$work/music"
mount -t tmpfs -o size=256k tmpfs "$full" || { echo "cannot mount a tmpfs here"; exit 77; }
mounted=$full
"$cli" init "$full" >/dev/null
for i in 1 2 3; do
    head -c 9000 /dev/urandom > "$work/music/z$i.mp3"
    bind "$full" "$work/music/z$i.mp3" --event Z --mode M >/dev/null
done
head -c 9000 /dev/urandom > "$work/music/m.mp3"
bind "$full" "$work/music/m.mp3" --event M --status G --mode M --prio 2 --adr1 12 >/dev/null
dd if=/dev/zero of="$full/filler" bs=4096 2>/dev/null || true
[ "$(df -B1 --output=avail "$full" | tail -n1)" -eq 0 ] || fail "the tmpfs is not full"
out=$("$cli" delete "$full" 4 2>&1) || fail "deleting a row of a full stick: $out"
out=$("$cli" delete "$full" 1 2>&1) || fail "deleting a random row of a full stick: $out"
is_as_listed "$full" ZUM_-0001-00000.mp3="$work/music/z2.mp3" \
    ZUM_-0002-00000.mp3="$work/music/z3.mp3"
umount "$full"
mounted=

# A source its user may not read, as the user nobody on folders nobody may write.
stick=$work/stick
mkdir -p "$stick" "$work/own"
chown nobody "$stick" "$work/own"
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"; }
as_nobody "$cli" init "$stick" >/dev/null
for name in a b c; do
    printf 'sound %s' "$name" > "$work/own/$name.mp3"
    chown nobody "$work/own/$name.mp3"
done
cp "$work/own/a.mp3" "$work/a-as-bound.mp3"
as_nobody "$cli" bind "$stick" --file "$work/own/a.mp3" --event M --status G --mode M --prio 2 \
    --adr1 12 >/dev/null 2>&1
as_nobody "$cli" bind "$stick" --file "$work/own/b.mp3" --event M --status G --mode M --prio 2 \
    --adr1 13 >/dev/null 2>&1
printf 'sound a, edited and then locked' > "$work/own/a.mp3"
touch -d '2001-01-01' "$work/own/a.mp3"
chmod 000 "$work/own/a.mp3"
as_nobody "$cli" delete "$stick" 2 > /dev/null 2>"$work/err" || true
as_nobody "$cli" settings "$stick" --volume 25 > /dev/null 2>>"$work/err" || true
grep -q "$work/own/a.mp3: Zugriff verweigert" "$work/err" ||
    fail "the message does not name the unreadable file and its cause: $(cat "$work/err")"
! grep -q 'nicht genug Platz' "$work/err" || fail "an unreadable source was taken for a full stick"
is_as_listed "$stick" MGM2-0012-00000.mp3="$work/a-as-bound.mp3"
grep -q '^SET_-0001-00025.mp3' "$stick/tonkat.tkx" || fail "the new volume was not stored"

# A name outside Windows-1252: refused by name, the stick unchanged.
mkdir -p "$work/music/Łódź"
polish=$work/music/Łódź/pfiff€.mp3
printf 'pfiff' > "$polish"
before=$(cd "$stick" && find . -type f -print0 | sort -z | xargs -0 sha256sum)
status=0
"$cli" bind "$stick" --file "$polish" --event Z --mode M >/dev/null 2>"$work/err" || status=$?
[ $status -eq 1 ] || fail "bind of $polish exited $status"
grep -qF "$polish" "$work/err" || fail "the refusal does not name the file: $(cat "$work/err")"
[ "$(cd "$stick" && find . -type f -print0 | sort -z | xargs -0 sha256sum)" = "$before" ] ||
    fail "the refused bind changed the stick"

# Two sticks swapped under one path, as a second stick of the same label or drive letter does:
# each keeps its own sound, whatever the index's paths of the first one say.
mkdir -p "$work/swap/STICK" "$work/swap/OTHER"
printf 'stick one' >"$work/swap/STICK/MGM2-0012-00000.mp3"
"$cli" init "$work/swap/STICK" >/dev/null 2>&1 || fail "init of the first stick"
printf 'stick two, other' >"$work/swap/OTHER/MGM2-0012-00000.mp3"
mv "$work/swap/STICK" "$work/swap/STICK1"
mv "$work/swap/OTHER" "$work/swap/STICK"
printf 'stick one' >"$work/stick-one.mp3"
printf 'stick two, other' >"$work/stick-two.mp3"
"$cli" settings "$work/swap/STICK1" --volume 25 >/dev/null 2>&1 || fail "settings on STICK1"
cmp -s "$work/swap/STICK1/MGM2-0012-00000.mp3" "$work/stick-one.mp3" ||
    fail "STICK1's sound was overwritten by the other stick's"
cmp -s "$work/swap/STICK/MGM2-0012-00000.mp3" "$work/stick-two.mp3" ||
    fail "the other stick's sound changed"
is_as_listed "$work/swap/STICK1" MGM2-0012-00000.mp3="$work/stick-one.mp3"

finish "the stick as its index says"
