#!/usr/bin/env bash
# Commands started at the same instant on one stick, as real processes: six binds at a time
# under a shim that holds back every write to the lock file, so that a lock that stands before
# it names its holder is seen in that state. Each bind is either refused or in the index with
# its sound's bytes, and the stick holds no sound its index does not list. A lock file that a
# crash left, naming a living process, blocks nothing. The commands that only read change
# nothing on the stick, not even a lock file, and read beside a program that holds it.
#   parallel_commands.sh PATH/TO/tonarion-cli PATH/TO/libtonarion_killshim.so
set -euo pipefail
cli=$1
shim=$2
work=$(mktemp -d)
holder=
trap '[ -z "$holder" ] || kill "$holder" 2>/dev/null; rm -rf "$work"' EXIT
stick=$work/stick
mkdir -p "$stick" "$work/music" "$work/out"

source "$(dirname "$0")/../support/check.sh"

"$cli" init "$stick"
export LD_PRELOAD=$shim TONARION_KILL_ROOT=$stick TONARION_DELAY_WRITES_TO=tonkat.lck \
    TONARION_DELAY_MS=40
for round in $(seq 1 8); do
    pids=()
    for i in 1 2 3 4 5 6; do
        address=$((round * 10 + i))
        printf 'sound %d' "$address" > "$work/music/$address.mp3"
        "$cli" bind "$stick" --file "$work/music/$address.mp3" --event M --status G --mode M \
            --prio 2 --adr1 "$address" >"$work/out/$address" 2>"$work/out/$address.err" &
        pids+=($!)
    done
    for i in 1 2 3 4 5 6; do
        status=0
        wait "${pids[$((i - 1))]}" || status=$?
        address=$((round * 10 + i))
        # Refused, because another bind holds the stick, or done.
        if [ $status -ne 0 ] && { [ $status -ne 1 ] || ! grep -q bereits "$work/out/$address.err"; }
        then
            fail "bind $address exited $status: $(cat "$work/out/$address.err")"
        fi
        [ $status -eq 0 ] || rm "$work/out/$address"
    done
done
unset LD_PRELOAD TONARION_DELAY_WRITES_TO

# The index lists exactly the binds that said they were done, each with its sound's bytes, and
# no sound lies on the stick unlisted.
done_binds=()
for out in "$work"/out/*; do
    [[ $out == *.err ]] || done_binds+=("$(cat "$out")=$work/music/$(basename "$out").mp3")
done
[ ${#done_binds[@]} -gt 0 ] || fail "no bind got through"
python3 "$(dirname "$0")/stick_holds.py" "$stick" "${done_binds[@]}" || failures=$((failures + 1))

# A lock file left by a crash, whose process id now belongs to a living process.
printf '1 %s\n' "$(hostname)" > "$stick/tonkat.lck"
"$cli" show "$stick" >/dev/null 2>&1 || fail "show refused beside a left-over lock file"
printf 'late' > "$work/music/late.mp3"
"$cli" bind "$stick" --file "$work/music/late.mp3" --event M --status R --mode M --prio 2 \
    --adr1 200 >/dev/null 2>&1 || fail "bind refused beside a left-over lock file"
[ ! -e "$stick/tonkat.lck" ] || fail "the left-over lock file outlived the bind that took it over"

# Reading changes nothing, held by another program or not.
snapshot() { (cd "$stick" && find . -type f -print0 | sort -z | xargs -0 sha256sum) ; }
# Under the shim, which logs every operation that would change the stick.
reads() {
    export LD_PRELOAD=$shim TONARION_KILL_LOG=$work/ops
    "$cli" show "$stick" >/dev/null 2>>"$work/err" || fail "show exited $?"
    "$cli" show "$stick" --json >/dev/null 2>>"$work/err" || fail "show --json exited $?"
    "$cli" verify "$stick" >/dev/null 2>>"$work/err" || true
    "$cli" export "$stick" --csv "$work/list.csv" 2>>"$work/err" || fail "export exited $?"
    "$cli" settings "$stick" >/dev/null 2>>"$work/err" || fail "settings exited $?"
    unset LD_PRELOAD TONARION_KILL_LOG
    ! grep '^op' "$work/ops" || fail "reading the stick changed it"
}
before=$(snapshot)
: > "$work/err"
reads
[ "$(snapshot)" = "$before" ] || fail "reading the stick left it changed"
! grep -q 'another Tonarion' "$work/err" || fail "reading a free stick says it is held"

# flock(1) holds the lock file as a running Tonarion does.
printf '%s %s\n' "$$" "$(hostname)" > "$stick/tonkat.lck"
(exec 9<"$stick/tonkat.lck" && flock 9 && exec sleep 60) &
holder=$!
sleep 0.3
before=$(snapshot)
: > "$work/err"
reads
[ "$(snapshot)" = "$before" ] || fail "reading a held stick changed it"
[ "$(grep -c 'another Tonarion' "$work/err")" -eq 5 ] || fail "a read beside the holder did not say so: $(cat "$work/err")"
status=0
"$cli" delete "$stick" 1 >/dev/null 2>&1 || status=$?
[ $status -eq 1 ] || fail "delete beside the holder exited $status"
kill "$holder"
wait "$holder" 2>/dev/null || true
holder=
"$cli" delete "$stick" 1 >/dev/null 2>"$work/err" || fail "delete refused once the holder ended: $(cat "$work/err")"

finish "commands at the same instant"
