#!/usr/bin/env bash
# Builds the benchmarks in Release mode and prints their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANEX_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)"
for b in build-bench/bench/*_bench; do
  echo "== $(basename "$b")"
  "$b" "${TMPDIR:-/tmp}"
done
