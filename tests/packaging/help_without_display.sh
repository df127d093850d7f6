#!/usr/bin/env bash
# tonarion --help and --version answer on a machine without a display (help2man, ssh).
#   help_without_display.sh PATH/TO/tonarion VERSION
set -uo pipefail
program=$1
version=$2
source "$(dirname "$0")/../support/check.sh"
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@"; }

help=$(headless --help 2>&1); status=$?
check "--help exits 0 without a display (it said: $help)" test "$status" = 0
check "--help names the installed command" grep -qx 'Usage: tonarion \[options\]' <<<"$help"
check "--help describes the program" grep -q 'Bereitet einen USB-Stick für das Soundmodul vor.' <<<"$help"
check "--help lists --stick" grep -q -- '--stick <DIR>' <<<"$help"

shown=$(headless --version 2>&1); status=$?
check "--version exits 0 without a display" test "$status" = 0
check "--version shows the project's version (it said: $shown)" test "$shown" = "tonarion $version"

headless --stick >/dev/null 2>&1; status=$?
check "a faulty command line still fails" test "$status" != 0
finish "tonarion without a display"
