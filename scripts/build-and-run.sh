#!/usr/bin/env bash
# Builds morvanex-cli and runs it with the given arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DMORVANEX_BUILD_TESTS=OFF -DMORVANEX_BUILD_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)" --target morvanex-cli
exec build/src/cli/morvanex-cli "$@"
