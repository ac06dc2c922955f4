#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each, one after the
# other, on the corpus kept in fuzz/corpus/TARGET plus seeds taken from
# tests/vectors. Prints the executions and the coverage each target reached.
# A crash, leak or hang is saved as build-fuzz/fuzz-artifacts/TARGET-crash-*
# (run the target on that file to reproduce it) and makes the script fail
# after the other targets ran.
#
# Usage: scripts/fuzz.sh [SECONDS | --runs N] [--merge] [TARGET...]
#   SECONDS   time per target (default 30)
#   --runs N  executions per target instead of a time
#   --merge   afterwards, minimize what the run found into fuzz/corpus/TARGET
#             (the inputs that keep the coverage, nothing else)
set -euo pipefail
cd "$(dirname "$0")/.."
limit=(-max_total_time=30)
merge=0
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) limit=(-runs="$2"); shift 2 ;;
    --merge) merge=1; shift ;;
    [0-9]*) limit=(-max_total_time="$1"); shift ;;
    *) targets+=("$1"); shift ;;
  esac
done
all_targets=(ContainerLayoutFuzz DecryptPatchedFuzz FramingFuzz HistoryFuzz KeyFilesFuzz KeyFolderFilesFuzz
  SettingsFuzz ServiceAnswersFuzz MultipartFuzz QrEncoderFuzz)
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

build=build-fuzz
vectors=tests/vectors/containers
artifacts=$build/fuzz-artifacts
kept=fuzz/corpus

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORVANEX_FUZZ=ON -DMORVANEX_BUILD_TESTS=OFF -DMORVANEX_BUILD_BENCH=OFF -DMORVANEX_BUILD_UI=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

# Seeds are made afresh by every run; the corpus kept in the repository holds
# only what the fuzzers found beyond them.
corpus=$build/fuzz-corpus
seeds=$build/fuzz-seeds
rm -rf "$seeds"
mkdir -p "$artifacts"
seed() { # TARGET NAME BYTES (printf format)
  # shellcheck disable=SC2059
  printf "$3" >"$seeds/$1/$2"
}
for t in "${all_targets[@]}"; do
  mkdir -p "$corpus/$t" "$seeds/$t"
  if [ -d "$kept/$t" ]; then cp "$kept/$t"/* "$corpus/$t/" 2>/dev/null || true; fi
done
cp "$vectors"/*.klx "$seeds/ContainerLayoutFuzz/"
cp "$vectors"/*.kpub "$vectors"/*.kpri "$seeds/KeyFilesFuzz/"
seed DecryptPatchedFuzz even '\000'
seed DecryptPatchedFuzz odd '\001\020\000\377'
# FramingFuzz: base container, then kind, position and amount (little endian), fill.
seed FramingFuzz cut-front '\006\000\000\000\000\000\017\000\000\000\000'
seed FramingFuzz body-length '\000\004\001\000\000\000\234\377\377\377\000'
seed FramingFuzz insert '\004\003\000\001\000\000\000\000\000\000\125'
seed HistoryFuzz tail '\000\100\000\001\200\000\001'
seed KeyFolderFilesFuzz member '\000Taro\000taro@example.jp\000taro.kpub'
seed KeyFolderFilesFuzz personal '\001Taro\ntaro@example.jp\n'
seed KeyFolderFilesFuzz auth '\002authhistory'
seed SettingsFuzz values '[KLX]\nkeyPairRoot=/home/u/keys/\nPublicKeyName=u.kpub\nLanguageSel=EN\n; note\n[Other]\nA=1\n'
seed ServiceAnswersFuzz key "$(od -An -tx1 -j24 -N128 "$vectors/reader.kpub" | tr -d ' \n')"
seed ServiceAnswersFuzz word 'pubkeyreg\r\n'
seed MultipartFuzz fields 'subject\000message with "quotes"\r\n\000tag'
seed QrEncoderFuzz address '\001\000\377https://velquin.example/m/?pk=00&ma=a%40b'

# Minimizes the run's corpus into $kept/TARGET: the inputs that add coverage to the seeds.
keep() { # TARGET
  local new=$kept/$1.new
  rm -rf "$new" && mkdir -p "$new" && cp "$seeds/$1"/* "$new/"
  "$build/fuzz/$1" -merge=1 -timeout=10 -rss_limit_mb=2048 "$new" "$corpus/$1" >"$build/$1.merge.log" 2>&1
  for s in "$seeds/$1"/*; do rm -f "$new/$(basename "$s")"; done
  rm -rf "${kept:?}/$1" && mv "$new" "$kept/$1"
  echo "   kept $(find "$kept/$1" -type f | wc -l) inputs, $(du -sk "$kept/$1" | cut -f1) KiB in $kept/$1"
}

# Most targets write their input to a scratch file: memory is much faster than a disk.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
summary=()
for target in "${targets[@]}"; do
  echo "== $target (${limit[*]})"
  log=$build/$target.log
  if ! "$build/fuzz/$target" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$target-" "$corpus/$target" "$seeds/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    failed+=("$target")
    continue
  fi
  runs=$(LC_ALL=C sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -aoE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1)
  summary+=("$target: ${runs:-?} executions, ${cov:-no coverage line}")
  echo "${summary[-1]}"
  if [ "$merge" = 1 ]; then keep "$target"; fi
done
printf '%s\n' "== summary" "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]}; reproducers in $artifacts:" >&2
  ls -l "$artifacts" >&2
  exit 1
fi
