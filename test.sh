#!/usr/bin/env bash
# Sets up, builds and runs every test, the end-to-end suite under Xvfb included.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh

echo "== style"
find src tests bench fuzz tools \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror

echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"

echo "== tests"
cd build
ctest --output-on-failure --timeout 300
