#!/usr/bin/env bash
# Provides Wine's own 32-bit Windows DLLs, of the installed Wine's version, so that wine64 runs the
# 32-bit build in its new-WoW64 mode, with no 32-bit Linux code at all (WINEDLLPATH points at the
# folder that holds i386-windows/). They come out of Debian's libwine:i386 package, which is
# downloaded and unpacked but never installed, through an apt state of our own: the machine's
# architectures, package lists and caches stay as they were. Run as root after
# install-test-deps.sh; a second run finds them in place and downloads nothing.
set -euo pipefail

dest=${HV_WINE_DLL_PATH:-/var/cache/hostvetter/wine32}
package=libwine:i386

fail() {
  echo "install-wine32-dlls: $*" >&2
  exit 1
}

version=$(dpkg-query -W -f='${Version}' libwine:amd64 2>/dev/null) ||
  fail "libwine (the 64-bit Wine) is not installed: run scripts/install-test-deps.sh first"
[ -n "$version" ] || fail "libwine (the 64-bit Wine) is not installed"

cached=$(cat "$dest/version" 2>/dev/null || true)
if [ -f "$dest/i386-windows/ntdll.dll" ] && [ "$cached" = "$version" ]; then
  echo "Wine's 32-bit DLLs ($package $version) are in $dest"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lists/partial" "$work/archives/partial" "$work/unpacked"
# Files stay root's: apt's download user could not write into the private folders.
apt_options=(
  -o "Dir::State::lists=$work/lists" -o "Dir::Cache::archives=$work/archives"
  -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
  -o APT::Architectures::=amd64 -o APT::Architectures::=i386
  -o APT::Sandbox::User=root -o Acquire::Languages=none -q
)
echo "Fetching Wine's 32-bit DLLs ($package $version) into $dest"
apt-get "${apt_options[@]}" update >"$work/update.log" 2>&1 ||
  fail "apt-get update (with i386 added, in a private apt state) failed:
$(cat "$work/update.log")"
(cd "$work" && apt-get "${apt_options[@]}" download "$package=$version") \
  >"$work/download.log" 2>&1 ||
  fail "cannot download $package=$version, the 32-bit half of the installed Wine; without it the
32-bit Windows build cannot be tested. apt-get said:
$(cat "$work/download.log")"

deb=$(find "$work" -maxdepth 1 -name 'libwine_*_i386.deb' -print -quit)
[ -n "$deb" ] || fail "apt-get download left no libwine i386 package in $work"
dpkg-deb --fsys-tarfile "$deb" |
  tar -x -C "$work/unpacked" ./usr/lib/i386-linux-gnu/wine/i386-windows/ ||
  fail "$deb holds no usr/lib/i386-linux-gnu/wine/i386-windows/"
[ -f "$work/unpacked/usr/lib/i386-linux-gnu/wine/i386-windows/ntdll.dll" ] ||
  fail "$deb holds no 32-bit ntdll.dll"

# Swapped in whole, so that an interrupted run never leaves a half-filled folder that looks done.
rm -rf "$dest.new"
mkdir -p "$dest.new"
mv "$work/unpacked/usr/lib/i386-linux-gnu/wine/i386-windows" "$dest.new/"
echo "$version" >"$dest.new/version"
chmod -R a+rX "$dest.new"
rm -rf "$dest"
mv "$dest.new" "$dest"
echo "Wine's 32-bit DLLs ($package $version) are in $dest"
