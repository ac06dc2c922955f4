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
echo "== the same through morvanex-cli (process start, key set, flush to disk and rename included)"
$bench/filecrypto_bench $keys "$work" "command=$PWD/build-bench/src/cli/morvanex-cli" 2>&1 | quiet

echo "== batches on one core (taskset -c 0) and on every core, the same run"
one=$(taskset -c 0 $bench/filecrypto_bench $keys "$work" batches 2>&1 | quiet)
all=$($bench/filecrypto_bench $keys "$work" batches 2>&1 | quiet)
echo "$one" | sed 's/^/one core:    /'
echo "$all" | sed 's/^/every core:  /'
# Wall time is what the user waits; the batch thread's CPU time shows what a
# free second core gives when other work keeps the machine busy.
paste -d'\n' <(echo "$one") <(echo "$all") | awk -F'[:(,;]' '
  { n = 0; for (i = 1; i <= NF; ++i) {
      if ($i ~ /^ (en|de)crypt [0-9.]+ s/) { split($i, w, " "); wall[NR % 2, w[1]] = w[2] }
      if ($i ~ /batch thread/) { split($i, t, " "); cpu[NR % 2, n++ ? "decrypt" : "encrypt"] = t[3] } }
    label = $1 }
  NR % 2 == 0 { printf "%s, one core / every core: wall encrypt %.2fx, decrypt %.2fx; batch thread CPU encrypt %.2fx, decrypt %.2fx\n",
                label, wall[1, "encrypt"] / wall[0, "encrypt"], wall[1, "decrypt"] / wall[0, "decrypt"],
                cpu[1, "encrypt"] / cpu[0, "encrypt"], cpu[1, "decrypt"] / cpu[0, "decrypt"] }'

echo "== batches with eight keystreams per core beside one per core (as before), the same run"
$bench/filecrypto_bench $keys "$work" streams 2>&1 | quiet
echo "== the protected folder from lock to closed (every container durable, the plain files destroyed)"
# LOCK_FOLDERS: a tmpfs and a folder on disk, comma-separated
$bench/filecrypto_bench $keys "$work" "lock=${LOCK_FOLDERS:-/dev/shm,$work}" 2>&1 | quiet

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
echo "== lists: opening each list with many rows, beside the same list empty"
$bench/lists_bench "$work"
bench/lists-start.sh build-bench
echo "== window: cold start and the window thread during a 1 GiB encryption"
bench/window-start.sh build-bench
$bench/window_bench "$work"
