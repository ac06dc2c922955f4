#!/usr/bin/env bash
# Builds morvanex-cli and runs it with the given arguments (in the caller's folder).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$repo" -B "$repo/build" -G Ninja >/dev/null
cmake --build "$repo/build" -j "$(nproc)" --target morvanex-cli >/dev/null
exec "$repo/build/src/cli/morvanex-cli" "$@"
