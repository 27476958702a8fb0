#!/usr/bin/env bash
# Sets up, builds and starts Lumivo: ./run.sh [FILE]
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target lumivo -j "$(nproc)"
exec build/lumivo "$@"
