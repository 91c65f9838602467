#!/usr/bin/env bash
# Sets up the machine, builds the application and runs it on the sample job
# examples/sample.ps, proposing the name "sample".
#
# With a display, the dialog opens for you: choose options and press
# "Start Create PDF". Without one, the run happens on a virtual display: the
# dialog is photographed, its default button pressed as a user would, and the
# script says where the screenshot, the PDF and the log went.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
echo "building..."
tree=$("$root/scripts/build.sh" --no-tests 2>"$root/build/build.log") ||
  { tail -30 "$root/build/build.log" >&2; exit 1; }
arch=$(basename "$tree")
triple=$arch-w64-mingw32

out="$root/out"
mkdir -p "$out/app"
cp "$tree/app/orvpdf.exe" "$out/app/"
if [ -f "$tree/app/orvpdf.dll" ]; then cp "$tree/app/orvpdf.dll" "$out/app/"; fi
rm -f "$out/app/sample.pdf" "$out/dialog.png"
export WINEPREFIX="$out/wineprefix"
[ -d "$WINEPREFIX" ] || "$root/scripts/wine-prefix.sh" "$WINEPREFIX" "$triple" >/dev/null
if [ "$arch" != i686 ]; then
  echo "note: this machine cannot run 32-bit code, so the $arch build of the same sources runs"
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "opening the dialog on $DISPLAY; the PDF will be $out/app/sample.pdf unless you change it"
  "$root/scripts/wine-run.sh" "$triple" "$out/app/orvpdf.exe" -sOutputFile=sample \
    <"$root/examples/sample.ps" >"$out/run.log" 2>&1
  echo "log: $out/run.log"
  exit 0
fi

# No display: drive the dialog on a virtual one.
export ORV_OUT="$out" ORV_ROOT="$root" ORV_TRIPLE="$triple"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -e
  "$ORV_ROOT/scripts/wine-run.sh" "$ORV_TRIPLE" "$ORV_OUT/app/orvpdf.exe" -sOutputFile=sample \
    <"$ORV_ROOT/examples/sample.ps" >"$ORV_OUT/run.log" 2>&1 &
  app=$!
  window=$(timeout 60 xdotool search --sync --name "Freeware ORV PDF Creator 4.0" | head -1)
  sleep 1
  import -window root "$ORV_OUT/dialog.png"
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key Return
  wait $app
'
echo "no display: ran the application on a virtual display"
echo "  screenshot of the dialog: $out/dialog.png"
if [ -s "$out/app/sample.pdf" ]; then
  echo "  pressed \"Start Create PDF\"; the PDF: $out/app/sample.pdf"
  pdfinfo "$out/app/sample.pdf" 2>/dev/null | sed -n 's/^\(Title\|Author\|Pages\|Producer\):/    &/p'
else
  echo "  pressed \"Start Create PDF\"; no PDF was written (see the log)"
fi
echo "  log: $out/run.log"
