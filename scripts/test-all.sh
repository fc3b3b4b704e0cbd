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
