#!/usr/bin/env bash
# Start-up cost, measured with hyperfine (scripts/install-test-deps.sh installs it); run by hand,
# never part of the test run:
#
#   bash bench/startup.sh [RUNS]
#
# Native: build/release/hostvetter against /bin/true. Windows: build/windows-x64/Hostvetter.exe
# under wine64 against hv_startup_baseline.exe of the same build, which loads the same system DLLs
# and does nothing else (Wine's own loading of USER32 is the floor, not our code). The 32-bit
# build is measured too when Wine can run it (WINEDLLPATH pointing at its 32-bit DLLs). Prints
# the median of each and their ratio; the native ratio should stay at or below 1.25.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-300}
command -v hyperfine >/dev/null || { echo "hyperfine is missing: scripts/install-test-deps.sh" >&2; exit 2; }
scratch=$(mktemp -d)
trap 'WINEPREFIX="$scratch/prefix" "${wineserver:-wineserver}" -k 2>/dev/null || true; rm -rf "$scratch"' EXIT

# Prints the medians of the two commands' runs and their ratio.
compare() {
  local label=$1 subject=$2 floor=$3
  # -i: /quiet answers 1 (a match), which is no failure here.
  if ! hyperfine -N -i --style none --warmup 20 --runs "$runs" --export-json "$scratch/out.json" \
    "$subject" "$floor" >/dev/null 2>"$scratch/err"; then
    cat "$scratch/err" >&2
    return 1
  fi
  python3 - "$label" "$scratch/out.json" <<'PY'
import json, sys
label, path = sys.argv[1], sys.argv[2]
subject, floor = (r["median"] * 1000 for r in json.load(open(path))["results"])
print(f"{label:<40} {subject:8.3f} ms  {floor:8.3f} ms  {subject / floor:6.2f}x")
PY
}

printf '%-40s %11s  %11s  %7s\n' "" "program" "floor" "ratio"
native=build/release/hostvetter
if [ -x "$native" ]; then
  compare "native hostvetter vs /bin/true" "$native /quiet" "/bin/true"
else
  echo "no $native: cmake --preset release && cmake --build --preset release" >&2
fi

# Debian keeps the 64-bit loader and its server out of PATH.
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(dirname "$wine64")/wineserver
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_ready=0
for build in windows-x64 windows-x86; do
  program=build/$build/Hostvetter.exe baseline=build/$build/hv_startup_baseline.exe
  if [ ! -f "$program" ] || [ ! -f "$baseline" ]; then
    echo "no $program or $baseline: cmake --preset $build && cmake --build --preset $build" >&2
    continue
  fi
  if [ $wine_ready = 0 ]; then
    # One server for every run, as on a desktop where Windows is already up.
    mkdir -p "$WINEPREFIX"
    "$wineserver" -p
    "$wine64" wineboot -i >/dev/null 2>&1
    wine_ready=1
  fi
  # A Wine that cannot load the program prints nothing and exits 0, or fails with 1 (which /quiet
  # would answer too): only the program's own message shows that it ran.
  if ! "$wine64" "$program" /os:bogus 2>/dev/null | grep -q "Unknown OS Option: BOGUS"; then
    echo "skipped $build: Wine did not run $program (32-bit: set WINEDLLPATH)" >&2
    continue
  fi
  compare "$build Hostvetter.exe vs baseline" "$wine64 $program /quiet" "$wine64 $baseline"
done
