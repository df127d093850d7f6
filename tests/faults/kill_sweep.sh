#!/usr/bin/env bash
# Kills tonarion-cli at every file operation of four everyday actions and checks that one start
# and one commit afterwards leave the stick exactly as its index says.
#
#   kill_sweep.sh TONARION_CLI KILLSHIM_SO folder|fat [SCENARIO...]
#
# For each action the stick is prepared once; an undisturbed run under the shim counts the
# action's operations and writes and gives the stick as it should be afterwards. Then, for
# every operation k, once killed before and once after it, and for writes in the middle of a
# copy: the prepared stick comes back, the action runs until the shim kills it, "repair" (one
# start plus the closing commit) runs, and check_stick.py compares the stick with its index by
# file contents; then a later commit must succeed and keep it so. "fat" does all of this on a
# FAT32 image mounted with fusefat (needs root and /dev/fuse; exit status 77, skipped, without
# them).
#
# Scenarios: bind-new rebind settings delete-random delete-random-sources-gone (all by default).
# KILL_SWEEP_MAX_WRITES (default 16) caps the write kills per action; they are spread evenly.
# It prints each action's operations, then every finding once with the kills that showed it;
# KILL_SWEEP_VERBOSE=1 prints every case as it is run, with all its findings.
set -uo pipefail
cli=$(realpath "$1")
shim=$(realpath "$2")
medium=$3
shift 3
scenarios=("$@")
[ ${#scenarios[@]} -gt 0 ] ||
    scenarios=(bind-new rebind settings delete-random delete-random-sources-gone)
here=$(dirname "$(realpath "$0")")
checker=$here/check_stick.py
max_writes=${KILL_SWEEP_MAX_WRITES:-16}

if [ "$medium" = fat ]; then
    if [ "$(id -u)" != 0 ] || [ ! -e /dev/fuse ] || ! command -v fusefat >/dev/null ||
        ! command -v mkfs.vfat >/dev/null; then
        echo "kill_sweep: fat needs root, /dev/fuse, fusefat and mkfs.vfat; skipped"
        exit 77
    fi
elif [ "$medium" != folder ]; then
    echo "kill_sweep: the medium is folder or fat, not '$medium'" >&2
    exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tonarion-kill-sweep.XXXXXX")
stick=$work/stick
music=$work/music
sounds=$work/sounds
mkdir -p "$stick" "$music" "$sounds"
fuse_pid=

mount_stick() {
    # In the foreground and in the background of this shell: after unmounting, the image is
    # replaced only once fusefat has written everything and ended.
    fusefat -f -o rw+ "$work/stick.img" "$stick" >/dev/null 2>&1 &
    fuse_pid=$!
    local tries=0
    until mountpoint -q "$stick"; do
        tries=$((tries + 1))
        if [ $tries -gt 200 ] || ! kill -0 "$fuse_pid" 2>/dev/null; then
            echo "kill_sweep: fusefat did not mount $work/stick.img" >&2
            exit 1
        fi
        sleep 0.02
    done
}

unmount_stick() {
    if [ -n "$fuse_pid" ]; then
        fusermount -u "$stick"
        wait "$fuse_pid" 2>/dev/null
        fuse_pid=
    fi
}

cleanup() {
    unmount_stick 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Sounds with contents of their own; the large ones take several writes to copy, so that a
# kill can leave half of one. Every sound starts with its own name, so a truncated copy still
# says whose it is.
python3 - "$sounds" <<'EOF'
import random, sys
sizes = {"a.mp3": 300000, "b.mp3": 900, "z1.mp3": 200000, "z2.mp3": 1200, "z3.mp3": 450000,
         "new.mp3": 520000}
for name, size in sizes.items():
    rng = random.Random(name)
    head = ("sound " + name + "\n").encode()
    with open(sys.argv[1] + "/" + name, "wb") as file:
        file.write(head + bytes(rng.getrandbits(8) for _ in range(size - len(head))))
EOF
cp -p "$sounds"/*.mp3 "$music"/

# The stick every action starts from: five rows, three of them random sounds whose running
# numbers close up when one of them goes.
preparing() {
    "$cli" "$@" >/dev/null ||
        { echo "kill_sweep: the stick could not be prepared: tonarion-cli $*" >&2; exit 1; }
}

prepare_stick() {
    if [ "$medium" = fat ]; then
        truncate -s 40M "$work/stick.img"
        mkfs.vfat -F 32 -n TONARION "$work/stick.img" >/dev/null
        mount_stick
    fi
    preparing init "$stick"
    preparing bind "$stick" --file "$music/a.mp3" --event M --status G --mode M --prio 2 --adr1 12
    preparing bind "$stick" --file "$music/b.mp3" --event R --status B --mode M --prio 1 \
        --adr1 3 --adr2 4
    for z in z1 z2 z3; do
        preparing bind "$stick" --file "$music/$z.mp3" --event Z --mode M
    done
    if [ "$medium" = fat ]; then
        unmount_stick
        cp --sparse=always "$work/stick.img" "$work/prepared.img"
        mount_stick
    else
        cp -a "$stick" "$work/prepared"
    fi
}

restore_stick() {
    if [ "$medium" = fat ]; then
        unmount_stick
        cp --sparse=always "$work/prepared.img" "$work/stick.img"
        mount_stick
    else
        rm -rf "$stick"
        cp -a "$work/prepared" "$stick"
    fi
}

# Row 2 is the same feedback sound before and after every action.
later_commit=(bind "$stick" --row 2 --event R --status B --mode M --prio 1 --adr1 3 --adr2 4)

action_of() {
    case $1 in
    bind-new) echo bind "$stick" --file "$music/new.mp3" --event M --status R --mode O --prio 1 \
        --adr1 30 ;;
    rebind) echo bind "$stick" --row 1 --event R --status F --mode O --prio 1 --adr1 5 --adr2 8 ;;
    settings) echo settings "$stick" --volume 25 ;;
    delete-random | delete-random-sources-gone) echo delete "$stick" 3 ;;
    *) return 1 ;;
    esac
}

# Runs tonarion-cli under the shim; the shim's variables come before the command's words. In
# a sanitizer build AddressSanitizer would insist on being loaded before the shim.
run_shimmed() {
    local log=$1
    shift
    rm -f "$log" "$work/count"
    timeout 120 env LD_PRELOAD="$shim" TONARION_KILL_ROOT="$stick" TONARION_KILL_LOG="$log" \
        TONARION_KILL_COUNT="$work/count" \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" "$@"
}

# "op K NAME PATH [PATH]" of the undisturbed run, with the stick's folder left out.
operation_text() {
    sed -n "s|^op $1 ||p" "$work/undisturbed.log" | sed "s|$stick/||g"
}

total_cases=0
total_failures=0
summary=()

# One case: the action killed as the shim's variables say, then repair, then the check.
# Prints the case and the checker's findings when it fails (or always, verbose), and keeps
# each finding for the summary.
run_case() {
    local scenario=$1 label=$2 description=$3
    shift 3
    restore_stick
    run_shimmed "$work/action.log" "$@" "$cli" "${action[@]}" >"$work/action.out" 2>&1
    local action_status=$?
    local findings=
    if [ $action_status -ne 137 ]; then
        # The operation was never reached: the action ran to its end (or failed) on its own.
        findings="note: the action was not killed (exit status $action_status)"$'\n'
    fi
    run_shimmed "$work/repair.log" "$cli" repair "$stick" >"$work/repair.out" 2>&1
    local repair_status=$?
    if [ $repair_status -ne 0 ]; then
        findings+="repair: exit status $repair_status: $(tr -s '\r\n' ' ' <"$work/repair.out")"$'\n'
    fi
    local checked
    checked=$(python3 "$checker" check "$stick" "$sounds" --before "$work/before.json" \
        --after "$work/after.json" --log "$work/action.log" --log "$work/repair.log")
    [ -n "$checked" ] && findings+=$checked$'\n'
    # The stick must also stay usable: a later commit that changes nothing (row 2 bound to
    # what it is) succeeds and keeps the stick as it was.
    run_shimmed "$work/later.log" "$cli" "${later_commit[@]}" >/dev/null 2>"$work/later.err"
    local later_status=$?
    if [ $later_status -ne 0 ] || [ -s "$work/later.err" ]; then
        findings+="a later commit (${later_commit[0]} row 2 unchanged): exit status $later_status: "
        findings+="$(tr -s '\r\n' ' ' <"$work/later.err")"$'\n'
    fi
    if [ $later_status -eq 0 ] && [ -z "$checked" ]; then
        checked=$(python3 "$checker" check "$stick" "$sounds" --before "$work/before.json" \
            --after "$work/after.json" --log "$work/later.log" | sed 's/^/after a later commit: /')
        [ -n "$checked" ] && findings+=$checked$'\n'
    fi
    total_cases=$((total_cases + 1))
    local verdict="ok  "
    if [ $repair_status -ne 0 ] || [ $later_status -ne 0 ] || [ -s "$work/later.err" ] ||
        [ -n "$checked" ]; then
        verdict=FAIL
        total_failures=$((total_failures + 1))
        scenario_failures=$((scenario_failures + 1))
        printf '%s' "$findings" | grep -v '^note: ' |
            sed "s|^|$medium/$scenario\t$label\t|" >>"$work/findings"
    fi
    if [ "${KILL_SWEEP_VERBOSE:-0}" = 1 ]; then
        echo "$verdict $medium/$scenario, killed $description"
        printf '%s' "$findings" | sed "s|$work/||g; s/^/    /"
    fi
}

prepare_stick
for scenario in "${scenarios[@]}"; do
    started=$SECONDS
    read -r -a action <<<"$(action_of "$scenario")"
    [ ${#action[@]} -gt 0 ] || { echo "kill_sweep: no scenario '$scenario'" >&2; exit 2; }
    hidden=()
    if [ "$scenario" = delete-random-sources-gone ]; then
        # The random sounds exist only on the stick: deleted on the computer since binding.
        mkdir -p "$work/hidden"
        for z in z1 z2 z3; do
            mv "$music/$z.mp3" "$work/hidden/"
            hidden+=("$z.mp3")
        done
    fi

    restore_stick
    if ! python3 "$checker" state "$stick" "$sounds" >"$work/before.json"; then
        echo "kill_sweep: the prepared stick is not what its index says" >&2
        exit 1
    fi
    run_shimmed "$work/undisturbed.log" "$cli" "${action[@]}" >"$work/action.out" 2>&1 ||
        { echo "kill_sweep: $scenario fails without a kill:"; cat "$work/action.out"; exit 1; }
    read -r _ operations _ writes <"$work/count"
    if grep -q '^outside ' "$work/undisturbed.log"; then
        echo "kill_sweep: $scenario without a kill writes outside the stick:"
        sed -n 's/^outside /    /p' "$work/undisturbed.log"
        exit 1
    fi
    if ! python3 "$checker" state "$stick" "$sounds" >"$work/after.json"; then
        echo "kill_sweep: $scenario without a kill leaves a stick other than its index says"
        exit 1
    fi
    if cmp -s "$work/before.json" "$work/after.json"; then
        echo "kill_sweep: $scenario changed nothing on the stick" >&2
        exit 1
    fi

    echo "$medium/$scenario: tonarion-cli ${action[*]/#$work\//}"
    sed -n "s|^op \([0-9]*\) |    operation \1: |p" "$work/undisturbed.log" | sed "s|$stick/||g"
    scenario_failures=0
    cases_before=$total_cases
    for ((k = 1; k <= operations; k++)); do
        for when in before after; do
            run_case "$scenario" "$when $k" "$when op $k of $operations ($(operation_text "$k"))" \
                TONARION_KILL_AT=$k TONARION_KILL_WHEN=$when
        done
    done
    # Kills right after a write: a copy broken off half-way. With many writes, an even spread.
    step=$(((writes + max_writes - 1) / max_writes))
    [ $step -ge 1 ] || step=1
    for ((n = 1; n <= writes; n += step)); do
        file=$(sed -n "s|^write $n \(.*\) [0-9]*$|\1|p" "$work/undisturbed.log" | sed "s|$stick/||")
        run_case "$scenario" "write $n" "after write $n of $writes (to $file)" \
            TONARION_KILL_WRITE_AT=$n
    done

    for name in "${hidden[@]}"; do
        mv "$work/hidden/$name" "$music/"
    done
    summary+=("$(printf '%-36s %3d of %3d cases failed (%d operations, %d writes, %ds)' \
        "$medium/$scenario" "$scenario_failures" "$((total_cases - cases_before))" \
        "$operations" "$writes" "$((SECONDS - started))")")
done

# Each distinct finding once, with the cases that showed it: "before 3" is a kill before
# operation 3, "write 5" one right after the fifth write.
if [ -s "$work/findings" ]; then
    echo
    echo "Findings (scenario: the kills that show it):"
    python3 - "$work/findings" "$work" <<'EOF'
import collections, sys
cases = collections.OrderedDict()
for line in open(sys.argv[1], encoding="utf-8", errors="replace"):
    scenario, label, finding = line.rstrip("\n").split("\t", 2)
    finding = finding.replace(sys.argv[2] + "/", "")
    cases.setdefault((scenario, finding), []).append(label)
for (scenario, finding), labels in cases.items():
    print("%s: %s\n    %s" % (scenario, ", ".join(labels), finding))
EOF
fi
echo
printf '%s\n' "${summary[@]}"
echo "kill_sweep $medium: $total_failures of $total_cases cases left the stick other than" \
    "its index says"
[ $total_failures -eq 0 ]
