#!/usr/bin/env bash
# Runs the tests where the plain build cannot see threads and memory go wrong:
#  - every suite but the end-to-end ones in a ThreadSanitizer build (into build-tsan/);
#  - the suites of the page engines, the strip, the grid and the opening of books under
#    valgrind's memcheck, in the normal build: a mutex unlocked after its memory was freed
#    is a write inside glibc, which neither sanitizer sees.
#   tools/sanitizer-tests.sh
# Exits 1 when a suite fails or either tool reports anything. tools/hostile-corpus.sh
# runs it after the corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
command -v valgrind >/dev/null || { echo "sanitizer-tests: valgrind is missing" >&2; exit 2; }
status=0

echo "== ThreadSanitizer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVO_TSAN=ON >/dev/null
# The icon generator runs while building; Qt's own threads are no business of this run.
TSAN_OPTIONS=report_bugs=0 cmake --build build-tsan -j "$(nproc)"
# Qt is not built with the sanitizer: what happens inside it is left out, ours is not.
(cd build-tsan && TSAN_OPTIONS="ignore_noninstrumented_modules=1 halt_on_error=1 exitcode=66 die_after_fork=0" \
  ctest --output-on-failure --timeout 1200 -E "e2e|desktop|wayland|corpus") || status=1

echo "== valgrind"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"
for suite in tst_comics tst_imagebook tst_images tst_archives tst_slowdrive tst_pdfopening tst_strip tst_grid tst_thumbfiles; do
  echo "-- $suite"
  # Code PCRE2 compiles at run time is no business of memcheck.
  QT_ENABLE_REGEXP_JIT=0 QT_QPA_PLATFORM=offscreen valgrind -q --error-exitcode=9 \
    "build/tests/$suite" >/dev/null || status=1
done
exit $status
