#!/usr/bin/env bash
# Installs what is missing, builds Vernalo and runs every test. Exits non-zero on any failure.
#   ./test.sh          everything: the full build, each fuzz target for 20 s, then the tests of
#                      the Qt-free core with sanitizers and of the full build
#   ./test.sh --quick  the full build only (no sanitizer build, no fuzzing)
set -euo pipefail
cd "$(dirname "$0")"
quick=0
[ "${1:-}" = "--quick" ] && quick=1

scripts/install-deps.sh
jobs=$(nproc)

cmake --preset release -DVERNALO_WERROR=ON >/dev/null
cmake --build build/release -j"$jobs"
status=0
# The Debian package of that build (about 10 s) and lintian on it (about 10 s): an error or a
# warning fails the run (a warning kept on purpose would go into an override file, with why).
deb=$(scripts/make-deb.sh build/release build/release | tail -1)
lintian --fail-on error,warning "$deb" || status=1
if [ $quick -eq 0 ]; then
  # The core must build and pass without any Qt at all, under ASan and UBSan.
  cmake --preset core -DVERNALO_WERROR=ON >/dev/null
  cmake --build build/core -j"$jobs"
fi

if [ $quick -eq 0 ]; then
  # Each fuzz target for 20 s on a copy of its seed corpus: a new crash fails the run.
  scripts/fuzz-smoke.sh 20 || status=1
fi

source scripts/test-services.sh
trap vernalo_stop_services EXIT
vernalo_start_services

if [ $quick -eq 0 ]; then
  ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build/core --output-on-failure --no-tests=error -j"$jobs" || status=1
fi
ctest --test-dir build/release --output-on-failure --no-tests=error -j"$jobs" || status=1
exit $status
