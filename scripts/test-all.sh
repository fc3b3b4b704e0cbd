#!/usr/bin/env bash
# Installs what the tests need, then builds every preset and runs every suite.
set -euo pipefail
cd "$(dirname "$0")/.."
# Where the time goes: each step's start, in seconds from the beginning.
step() { echo "=== ${SECONDS}s: $*"; }
step installing what the tests need
if [ "$(id -u)" = 0 ]; then
  scripts/install-test-deps.sh
else
  sudo scripts/install-test-deps.sh
fi

for preset in release asan; do
  step "$preset"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

step fuzz
# A short fuzzing pass: any crash or sanitizer report fails the run.
cmake --preset fuzz
cmake --build --preset fuzz
for target in Wildcard Driver; do
  build/fuzz/hv_fuzz_$target -max_total_time=10 -close_fd_mask=1 -max_len=4096 2>&1 | tail -n 1
done

# The Windows builds, each with its unit tests and end-to-end suites under wine64: the 32-bit one
# (the program users deploy) in Wine's new-WoW64 mode. Its ring log suite shares its logs with the
# 64-bit ringlog.exe, so the 64-bit build comes first.
step windows-x64
cmake --preset windows-x64
cmake --build --preset windows-x64
ctest --preset windows-x64

# Some kernels (hypervisors) refuse the 32-bit code that the 32-bit build runs. There its tests run
# in an emulated machine (tests/vm/run.sh), a tenth as fast: with the unit tests in one process and
# the end-to-end cases that tell the two builds apart.
step windows-x86
probe=0
python3 tests/win32/compat_mode_probe.py --dll-path /var/cache/hostvetter/wine32 || probe=$?
emulated=OFF
[ "$probe" = 77 ] && emulated=ON
cmake --preset windows-x86 -DHV_PEER_RINGLOG="$PWD/build/windows-x64/ringlog.exe" \
  -DHV_WINE_EMULATED=$emulated
cmake --build --preset windows-x86
cmake --build --preset windows-x86 --target package
if [ "$emulated" = ON ]; then
  tests/vm/run.sh ctest --preset windows-x86
else
  ctest --preset windows-x86
fi
step done
