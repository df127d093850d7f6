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

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

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
python3 - "$stick" "$work/out" "$work/music" <<'EOF' || failures=$((failures + 1))
import os, re, sys
stick, out, music = sys.argv[1:]
lines = open(os.path.join(stick, "tonkat.tkx"), encoding="cp1252", newline="").read().split("\r\n")
listed = {line[:19]: line[20:] for line in lines if len(line) > 20 and line[19] == ";"}
done = {}
for address in os.listdir(out):
    if not address.endswith(".err"):
        done[open(os.path.join(out, address)).read().strip()] = address
problems = []
if not done:
    problems.append("no bind got through")
if set(listed) != set(done):
    problems.append("listed %s, done %s" % (sorted(listed), sorted(done)))
for name, address in done.items():
    source = os.path.join(music, address + ".mp3")
    on_stick = os.path.join(stick, name)
    if not os.path.exists(on_stick) or open(on_stick, "rb").read() != open(source, "rb").read():
        problems.append(name + " does not hold " + source)
for name in os.listdir(stick):
    if re.match(r"^[MRLKZUE]...-\d{4}-\d{5}\.mp3$", name) and name not in listed:
        problems.append(name + " is on the stick but not in the index")
for problem in problems:
    print("FAILED: " + problem)
sys.exit(1 if problems else 0)
EOF

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

[ $failures -eq 0 ] && echo "commands at the same instant: all checks passed"
exit $((failures > 0))
