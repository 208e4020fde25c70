#!/bin/bash
# Prints how far the word mark leads (-) or lags (+) the sound of each word, found in the
# recording of the test sound server's sink. Starts the test services (X, PulseAudio).
# Usage: bench/word_mark.sh [BUILD_DIR] [ROUNDS]   (default build/release, 5 rounds)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/release}
bench=$build/bench/wordmark_bench
[ -x "$bench" ] || { echo "word_mark.sh: no $bench (build the wordmark_bench target)" >&2; exit 2; }
source "$here/scripts/test-services.sh"
trap vernalo_stop_services EXIT
vernalo_start_services
"$bench" "${2:-5}"
