#!/usr/bin/env bash
# Builds Lumivo with AddressSanitizer and UBSan (into build-asan/), writes the hostile
# corpus and opens every book of it in that build under Xvfb; then throws hostile clients
# at that build's hand-over socket.
#   tools/hostile-corpus.sh [CORPUS_DIR]      (default /tmp/lumivo-corpus)
# Prints the counts of books shown, refused, crashed and hung, the longest time the window
# kept the window system waiting, how the hand-over held, and every sanitizer report. Then
# runs the same sample on a slow drive (20 ms a read, 5 ms a stat), and the tests under
# ThreadSanitizer and valgrind (tools/sanitizer-tests.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
corpus="${1:-/tmp/lumivo-corpus}"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVO_SANITIZE=ON >/dev/null
cmake --build build-asan --target lumivo lumivo_corpus -j "$(nproc)"
build-asan/lumivo_corpus generate "$corpus"
status=0
build-asan/lumivo_corpus run "$corpus" --binary build-asan/lumivo --timeout 60 || status=1
build-asan/lumivo_corpus handover --binary build-asan/lumivo --timeout 60 || status=1
build-asan/lumivo_corpus run "$corpus" --binary build-asan/lumivo --timeout 120 --sample 100 \
  --slow-read-us 20000 --slow-stat-us 5000 || status=1
tools/sanitizer-tests.sh || status=1
exit $status
