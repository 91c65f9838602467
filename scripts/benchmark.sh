#!/usr/bin/env bash
# Times the application on a large print job against Debian's gs converting
# the same file with the same switches, and prints one table: pages, bytes,
# seconds, the ratio, what Wine's start-up adds, the front end's share
# (spool + header rewrite) and peak memory for a small and a large job.
#
#   benchmark.sh [--no-build] [--pages N] [--small-pages N] [--rounds N]
#                [--switch -dPDFSETTINGS=/printer]... [--verbose]
#
#   --no-build      use the existing build trees as they are
#   --pages         pages of the large job, at least (default 1500)
#   --small-pages   pages of the small job, for the memory comparison (300)
#   --rounds        timed rounds per job; the table shows medians (5)
#   --switch        a stored switch (setting.ini [command]), given to gs too
#
# The application runs from the build tree of the architecture this machine
# can run (scripts/test-arch.sh) under Wine, in its own prefix
# build/bench-prefix; jobs, PDFs and a log of every run go to build/bench-run.
# The phase split comes from bench/bench_convert.cpp, built in the same tree
# as the application. Not a test: ctest
# never runs it, and a missed target does not make it fail; a failed
# conversion or a PDF with the wrong page count does.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

given=("$@")
build=1
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --no-build) build=0 ;;
    --pages|--small-pages|--rounds|--switch) [ $# -ge 2 ] || { echo "$1 needs a value" >&2; exit 2; }
      args+=("$1=$2"); shift ;;
    --verbose) args+=("$1") ;;
    -h|--help) sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "unknown argument: $1 (try --help)" >&2; exit 2 ;;
  esac
  shift
done

# One display for the whole run, so no run pays for starting one.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "${given[@]}"
fi

log=$root/build/bench-build.log
mkdir -p "$root/build"
if [ "$build" = 1 ]; then
  bash "$root/scripts/setup.sh"
  echo "building the application..." >&2
  tree=$("$root/scripts/build.sh" 2>"$log") || { tail -30 "$log" >&2; exit 1; }
else
  tree=$root/build/$("$root/scripts/test-arch.sh")
fi
arch=$(basename "$tree")
triple=$arch-w64-mingw32
for f in app/orvpdf.exe app/orvpdf.dll tests/app/app_driver.exe; do
  [ -f "$tree/$f" ] || { echo "missing $tree/$f: run without --no-build" >&2; exit 1; }
done

echo "building bench_convert in $tree..." >&2
cmake --build "$tree" --target bench_convert >"$root/build/bench-$arch.log" 2>&1 ||
  { tail -30 "$root/build/bench-$arch.log" >&2; exit 1; }

export WINEPREFIX=$root/build/bench-prefix
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "making the Wine prefix $WINEPREFIX..." >&2
  "$root/scripts/wine-prefix.sh" "$WINEPREFIX" "$triple" >/dev/null
fi
# The measurements keep our prefix's server running for good; stop it (ours
# only) when the run ends.
trap 'WINEPREFIX="$WINEPREFIX" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT

python3 "$root/bench/run_benchmark.py" --root "$root" --tree "$tree" --triple "$triple" \
  --bench-exe "$tree/bench/bench_convert.exe" --work "$root/build/bench-run" "${args[@]}"
