#!/bin/sh
# Runs a Windows test program under Wine for CTest and checks its full exit code.
#
#   wine-run.sh --runner=<exitcode-runner.exe> --prefix=<dir> [--report] <program.exe> [args...]
#   wine-run.sh --prefix=<dir> --init      create the prefix and keep wineserver up
#   wine-run.sh --prefix=<dir> --shutdown  stop the prefix's wineserver
#
# The expected exit code comes from KELB_EXPECT_EXIT (default 0). On a mismatch
# the script prints a line with KELB-EXIT-MISMATCH and exits 1, so that tests
# which also match their output with a regular expression still fail. With
# --report the exit code is printed instead of checked.
set -u
runner=
prefix=
report=
while [ $# -gt 0 ]; do
  case "$1" in
    --runner=*) runner=${1#--runner=}; shift ;;
    --prefix=*) prefix=${1#--prefix=}; shift ;;
    --report) report=1; shift ;;
    *) break ;;
  esac
done
[ -n "$prefix" ] || { echo "wine-run: --prefix is required" >&2; exit 2; }

if [ -x /usr/lib/wine/wine64 ]; then wine=/usr/lib/wine/wine64
elif command -v wine64 >/dev/null 2>&1; then wine=wine64
else echo "wine-run: wine64 is not installed" >&2; exit 2
fi
if command -v wineserver >/dev/null 2>&1; then wineserver=wineserver
else wineserver=/usr/lib/wine/wineserver
fi

WINEPREFIX=$prefix
WINEARCH=win64
WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX WINEARCH WINEDEBUG

case "${1:-}" in
  --init)
    mkdir -p "$prefix"
    # Keep the server alive between the tests of this run. It must not hold
    # on to our output: CTest waits until every writer of the pipe is gone.
    "$wineserver" -p </dev/null >/dev/null 2>&1
    "$wine" wineboot --init </dev/null >/dev/null 2>&1
    # Tests read message boxes from the relay trace; tracing every other call
    # as well makes such a run 10 to 50 times slower. On a loaded machine the
    # first start of a new prefix may not take the setting at once: check it
    # (through a file: a pipe could be held open by Wine's own processes).
    check=$(mktemp "${TMPDIR:-/tmp}/wine-init.XXXXXX")
    for attempt in 1 2 3 4 5; do
      "$wine" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
        /d 'user32.MessageBoxW;user32.MessageBoxA' /f </dev/null >/dev/null 2>&1
      "$wine" reg query 'HKCU\Software\Wine\Debug' /v RelayInclude </dev/null >"$check" 2>&1
      grep -q 'MessageBoxW' "$check" && break
      [ $attempt -lt 5 ] && sleep 2
    done
    grep -q 'MessageBoxW' "$check" ||
      echo "wine-run: could not limit the relay trace to message boxes; traced tests will be slow" >&2
    rm -f "$check"
    exit 0 ;;
  --shutdown)
    "$wineserver" -k 2>/dev/null
    exit 0 ;;
esac

[ -n "$runner" ] || { echo "wine-run: --runner is required" >&2; exit 2; }
[ $# -ge 1 ] || { echo "wine-run: no program given" >&2; exit 2; }

# Unix path to the Z: drive path Wine maps the root directory to.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

result=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$result"' EXIT
prog=$1; shift
case "$prog" in /*) ;; *) prog=$(pwd)/$prog ;; esac
"$wine" "$runner" "$(winpath "$result")" "$(winpath "$prog")" "$@"
rc=$?
if [ $rc -ne 0 ]; then
  echo "wine-run: the runner failed with status $rc (KELB-EXIT-MISMATCH)" >&2
  exit 1
fi
code=$(tr -d '\r\n' < "$result")
if [ -n "$report" ]; then
  echo "exit code: $code"
  exit 0
fi
expect=${KELB_EXPECT_EXIT:-0}
if [ "$code" != "$expect" ]; then
  echo "wine-run: exit code $code, expected $expect (KELB-EXIT-MISMATCH)" >&2
  exit 1
fi
exit 0
