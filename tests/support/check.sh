# The checks of the test scripts, sourced by each: check DESCRIPTION COMMAND... counts the
# command's failure, fail TEXT counts one at once, and finish NAME ends the script with the
# count's exit status.
failures=0
check() {
    local what=$1
    shift
    if ! "$@"; then fail "$what"; fi
}
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
finish() {
    [ "$failures" -eq 0 ] && echo "$1: all checks passed"
    exit $((failures > 0))
}
