#!/usr/bin/env bash
# Builds Morvanex and starts the window program morvanex with the given
# arguments (in the caller's folder). "--cli ARGS..." runs morvanex-cli instead.
# Without a display, morvanex says so in one line and points to morvanex-cli.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$repo" -B "$repo/build" -G Ninja >/dev/null
if [ "${1:-}" = "--cli" ]; then
  shift
  cmake --build "$repo/build" -j "$(nproc)" --target morvanex-cli >/dev/null
  exec "$repo/build/src/cli/morvanex-cli" "$@"
fi
cmake --build "$repo/build" -j "$(nproc)" --target morvanex morvanex-cli >/dev/null
exec "$repo/build/src/ui/morvanex" "$@"
