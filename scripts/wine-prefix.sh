#!/bin/sh
# Makes a fresh Wine prefix for one test run:  wine-prefix.sh PREFIX TRIPLE
# Wine draws its own window frames (no window manager under Xvfb), and the
# server stays up between the tests of the run instead of restarting each time.
set -e
prefix=$1
triple=$2
case "$triple" in
  x86_64*) loader=/usr/lib/wine/wine64 ;;
  *) loader=/usr/lib/wine/wine ;;
esac
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
WINESERVER=/usr/lib/wine/wineserver
"$WINESERVER" -k >/dev/null 2>&1 || true
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
log="$prefix.log"
"$loader" wineboot -i </dev/null >"$log" 2>&1
"$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >>"$log" 2>&1
"$WINESERVER" -w </dev/null >>"$log" 2>&1
# Keep the server for 120 s after its last client, detached from our pipes.
"$WINESERVER" -p120 </dev/null >>"$log" 2>&1
echo "fresh Wine prefix: $prefix"
