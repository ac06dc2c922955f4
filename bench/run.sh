#!/usr/bin/env bash
# Builds the benchmarks in Release mode and prints their figures.
# Usage: bench/run.sh [WORK_FOLDER]   (needs about 1 GiB free there)
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-${TMPDIR:-/tmp}}
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANEX_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)"
echo "== keystream"
build-bench/bench/keystream_bench "$work"
echo "== per-file encryption, decryption and secure deletion"
build-bench/bench/filecrypto_bench tests/vectors/containers "$work"
echo "== QR encoder beside libqrencode"
build-bench/bench/qr_bench
echo "== window: cold start and the window thread during a 1 GiB encryption"
bench/window-start.sh build-bench
build-bench/bench/window_bench "$work"
