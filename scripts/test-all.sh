#!/usr/bin/env bash
# Installs what the tests need, then builds every preset and runs every suite.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then
  scripts/install-test-deps.sh
else
  sudo scripts/install-test-deps.sh
fi

for preset in release asan; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

# A short fuzzing pass: any crash or sanitizer report fails the run.
cmake --preset fuzz
cmake --build --preset fuzz
for target in Wildcard Driver; do
  build/fuzz/hv_fuzz_$target -max_total_time=10 -close_fd_mask=1 -max_len=4096 2>&1 | tail -n 1
done

# The Windows builds. The 32-bit one needs a 32-bit Wine to run its tests, which a kernel without
# 32-bit support cannot offer: there it is only compiled and linked. The 64-bit one runs its unit
# tests and end-to-end suites under Wine.
cmake --preset windows-x86
cmake --build --preset windows-x86
# The release zip, even where no Wine runs this build (the CTest suites test every package where
# the build's programs can run).
cmake --build --preset windows-x86 --target package
if grep -q '^HV_WINE32:FILEPATH=/' build/windows-x86/CMakeCache.txt; then
  ctest --preset windows-x86
fi
cmake --preset windows-x64
cmake --build --preset windows-x64
ctest --preset windows-x64
