#!/usr/bin/env bash
# Sets up the machine, builds everything and runs all tests under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
tree=$("$root/scripts/build.sh")
echo "running the tests in $tree (target: $(basename "$tree"))"
cd "$tree"
# One virtual display for the whole run; every test program runs under it.
exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 1200
