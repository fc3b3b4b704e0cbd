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

# The Windows builds, each with its unit tests and end-to-end suites under wine64: the 32-bit one
# (the program users deploy) in Wine's new-WoW64 mode. Its ring log suite shares its logs with the
# 64-bit ringlog.exe, so the 64-bit build comes first.
cmake --preset windows-x64
cmake --build --preset windows-x64
cmake --preset windows-x86 -DHV_PEER_RINGLOG="$PWD/build/windows-x64/ringlog.exe"
cmake --build --preset windows-x86
# The 32-bit release zip is made even where no Wine can run that build (its tests then skip).
cmake --build --preset windows-x86 --target package
# The 32-bit tests go first: where this kernel cannot run 32-bit code they are one skipped test,
# and the run should end on the summary of a suite that ran.
ctest --preset windows-x86
ctest --preset windows-x64
