#!/usr/bin/env bash
# Installs what is missing, builds Vernalo and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build build/release -j"$(nproc)"
# A staged install, so the program finds its dictionaries and icons as an installed one does.
cmake --install build/release --prefix build/stage >/dev/null
if [ -x build/stage/bin/vernalo ]; then
  exec build/stage/bin/vernalo "$@"
fi
exec build/stage/bin/vernalo-cli pieces resources/sample.txt
