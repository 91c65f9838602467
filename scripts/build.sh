#!/usr/bin/env bash
# Builds the application (32-bit, as shipped) and, for the tests, the tree of
# the architecture this machine can run (see test-arch.sh). Prints that tree.
#   build.sh [--no-tests]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tests=ON
[ "${1:-}" = "--no-tests" ] && tests=OFF
arch=$("$root/scripts/test-arch.sh")

configure_and_build() {
  local triple_arch=$1 with_tests=$2
  local dir="$root/build/$triple_arch"
  cmake -G Ninja -S "$root" -B "$dir" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$triple_arch.cmake" \
    -DORV_BUILD_TESTS="$with_tests" >"$root/build/configure-$triple_arch.log" 2>&1 ||
    { cat "$root/build/configure-$triple_arch.log" >&2; exit 1; }
  cmake --build "$dir" >&2
}

mkdir -p "$root/build"
if [ "$arch" = i686 ]; then
  configure_and_build i686 "$tests"
else
  configure_and_build i686 OFF
  configure_and_build "$arch" "$tests"
fi
echo "$root/build/$arch"
