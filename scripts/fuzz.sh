#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each for SECONDS
# (default 30) on seeds taken from tests/vectors. A crash, leak or hang is
# saved as build-fuzz/fuzz-artifacts/TARGET-crash-* (run the target on that
# file to reproduce it) and makes the script fail after the other targets ran.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=build-fuzz
vectors=tests/vectors/containers
artifacts=$build/fuzz-artifacts

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORVANEX_FUZZ=ON -DMORVANEX_BUILD_TESTS=OFF -DMORVANEX_BUILD_BENCH=OFF -DMORVANEX_BUILD_UI=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

corpus=$build/fuzz-corpus
mkdir -p "$artifacts"
seed() { # TARGET NAME BYTES (printf format)
  mkdir -p "$corpus/$1"
  # shellcheck disable=SC2059
  printf "$3" >"$corpus/$1/$2"
}
for t in ContainerLayoutFuzz KeyFilesFuzz; do mkdir -p "$corpus/$t"; done
cp "$vectors"/*.klx "$corpus/ContainerLayoutFuzz/"
cp "$vectors"/*.kpub "$vectors"/*.kpri "$corpus/KeyFilesFuzz/"
seed DecryptPatchedFuzz even '\000'
seed DecryptPatchedFuzz odd '\001\020\000\377'
seed HistoryFuzz tail '\000\100\000\001\200\000\001'
seed KeyFolderFilesFuzz member '\000Taro\000taro@example.jp\000taro.kpub'
seed KeyFolderFilesFuzz personal '\001Taro\ntaro@example.jp\n'
seed KeyFolderFilesFuzz auth '\002authhistory'
seed SettingsFuzz values '[KLX]\nkeyPairRoot=/home/u/keys/\nPublicKeyName=u.kpub\nLanguageSel=EN\n; note\n[Other]\nA=1\n'
seed ServiceAnswersFuzz key "$(od -An -tx1 -j24 -N128 "$vectors/reader.kpub" | tr -d ' \n')"
seed ServiceAnswersFuzz word 'pubkeyreg\r\n'
seed MultipartFuzz fields 'subject\000message with "quotes"\r\n\000tag'
seed QrEncoderFuzz address '\001\000\377https://velquin.example/m/?pk=00&ma=a%40b'

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for target in ContainerLayoutFuzz DecryptPatchedFuzz HistoryFuzz KeyFilesFuzz KeyFolderFilesFuzz SettingsFuzz \
  ServiceAnswersFuzz MultipartFuzz QrEncoderFuzz; do
  echo "== $target ($seconds s)"
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$target-" "$corpus/$target" >"$build/$target.log" 2>&1; then
    tail -n 40 "$build/$target.log"
    failed+=("$target")
  else
    grep -E "^stat::number_of_executed_units" "$build/$target.log" || true
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]}; reproducers in $artifacts:" >&2
  ls -l "$artifacts" >&2
  exit 1
fi
