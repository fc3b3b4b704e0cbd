#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian machine (run as root).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
packages=(
  cmake ninja-build g++ libgtest-dev googletest libbenchmark-dev python3 clang-format
  clang libclang-rt-14-dev
  mingw-w64 g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64
  wine wine64 util-linux hostname hyperfine
  qemu-system-x86 busybox-static
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Wine's own 32-bit DLLs, with which wine64 runs the 32-bit Windows build.
"$(dirname "$0")/install-wine32-dlls.sh"
