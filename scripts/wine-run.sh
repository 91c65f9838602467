#!/bin/sh
# Runs a Windows program under Wine: the CMake cross-compiling emulator.
#   wine-run.sh TRIPLE PROGRAM.exe [ARGS...]
# The caller's WINEPREFIX is used (the test fixture makes a fresh one per run).
# Output is collected in files and copied out afterwards, so that Wine's own
# background processes never hold the caller's pipes open.
triple=$1
shift
case "$triple" in
  x86_64*) loader=/usr/lib/wine/wine64 ;;
  *) loader=/usr/lib/wine/wine ;;
esac
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"

if [ -z "$DISPLAY" ] && [ -z "$ORV_NO_XVFB" ]; then
  export ORV_NO_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$triple" "$@"
fi

out=$(mktemp) err=$(mktemp)
"$loader" "$@" >"$out" 2>"$err"
rc=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $rc
