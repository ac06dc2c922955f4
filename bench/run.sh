#!/usr/bin/env bash
# Builds the benchmarks in Release mode (and the hot loops again at -O2) and
# prints every figure beside its yardstick with the ratio.
# Usage: bench/run.sh [WORK_FOLDER]   (needs about 3 GiB free there)
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-${TMPDIR:-/tmp}}
keys=tests/vectors/containers
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANEX_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)" >/dev/null
cmake -S . -B build-bench-o2 -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
  -DMORVANEX_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench-o2 -j "$(nproc)" --target hotloops_bench >/dev/null
bench=build-bench/bench
quiet() { grep -v '^message: ' || true; }

echo "cores: $(nproc); load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== one large file, encrypted and decrypted, beside the keystream alone in memory over the same bytes"
$bench/filecrypto_bench $keys "$work" files 2>&1 | quiet

echo "== batches on one core (taskset -c 0) and on every core, the same run"
one=$(taskset -c 0 $bench/filecrypto_bench $keys "$work" batches 2>&1 | quiet)
all=$($bench/filecrypto_bench $keys "$work" batches 2>&1 | quiet)
echo "$one" | sed 's/^/one core:    /'
echo "$all" | sed 's/^/every core:  /'
paste -d'\n' <(echo "$one") <(echo "$all") | awk -F'[:(,]' '
  { for (i = 1; i <= NF; ++i) { if ($i ~ /encrypt [0-9.]+ s/) e[NR % 2] = $i; if ($i ~ /decrypt [0-9.]+ s/) d[NR % 2] = $i }
    split(e[NR % 2], a, " "); E[NR % 2] = a[2]; split(d[NR % 2], b, " "); D[NR % 2] = b[2]; label = $1 }
  NR % 2 == 0 { printf "%s: one core / every core: encrypt %.2fx, decrypt %.2fx\n", label, E[1] / E[0], D[1] / D[0] }'

echo "== hot loops: thread CPU time at -O3 and at -O2 (best of five each, three interleaved rounds)"
for round in 1 2 3; do
  paste <($bench/hotloops_bench) <(build-bench-o2/bench/hotloops_bench) | awk -F'\t' '
    { split($1, a, ": "); split($2, b, ": "); printf "%-28s -O3 %s  -O2 %s  -O2 speed / -O3 speed %.2f\n", a[1], a[2], b[2], a[2] / b[2] }'
done

echo "== finding the program that opens a file, beside xdg-mime"
$bench/launcher_bench "$work"

echo "== keystream"
$bench/keystream_bench "$work"
echo "== secure deletion"
$bench/filecrypto_bench $keys "$work" shred 2>&1 | quiet
echo "== QR encoder beside libqrencode"
$bench/qr_bench
echo "== window: cold start and the window thread during a 1 GiB encryption"
bench/window-start.sh build-bench
$bench/window_bench "$work"
