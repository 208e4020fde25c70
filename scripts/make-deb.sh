#!/usr/bin/env bash
# Makes vernalo_<version>_amd64.deb from the release build (building what is out of date
# first) and prints its path. Packing is CPack's DEB generator (see packaging/CMakeLists.txt
# for why not debhelper); dpkg-shlibdeps computes the dependencies from the binaries.
#   scripts/make-deb.sh [BUILD_DIR [OUT_DIR]]    default build/release and the current folder
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/release}")
out=$(realpath "${2:-.}")
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" --preset release >/dev/null
# Only what the package holds: the tests and benchmarks are not needed for it.
cmake --build "$build" -j"$(nproc)" --target vernalo vernalo-cli vernalo_install_extras
rm -rf "$build/package"
# fakeroot is not needed: CPack writes every file as root's in the archive itself.
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(find "$build/package" -maxdepth 1 -name 'vernalo_*_amd64.deb' -print -quit)
[ -n "$deb" ] || { echo "make-deb: no package was made" >&2; exit 1; }
cp "$deb" "$out/"
echo "$out/$(basename "$deb")"
