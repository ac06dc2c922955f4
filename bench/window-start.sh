#!/usr/bin/env bash
# Cold start of the window program: from the process start to the first
# painted main window, the median of RUNS starts (default 7), on Xvfb when it
# is installed, else on the offscreen platform.
# Usage: bench/window-start.sh BUILD_DIR [RUNS]
set -euo pipefail
build=${1:?usage: bench/window-start.sh BUILD_DIR [RUNS]}
runs=${2:-7}
work="$(mktemp -d)"
trap 'kill "${xvfb:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
MORVANEX_HOME="$work/home" "$build/src/cli/morvanex-cli" init --key-root "$work/keys" --key-name start \
  --user Start --mail start@example.org >/dev/null 2>&1
sed -i 's/^UseSmallMenu=.*/UseSmallMenu=0/' "$work/home/Values.dat"
if command -v Xvfb >/dev/null; then
  Xvfb :97 -screen 0 1280x800x24 >/dev/null 2>&1 &
  xvfb=$!
  sleep 1
  export DISPLAY=:97
  platform=xcb
else
  export QT_QPA_PLATFORM=offscreen
  platform=offscreen
fi
MORVANEX_HOME="$work/home" HOME="$work" XDG_RUNTIME_DIR="$work" python3 - "$build/src/ui/morvanex" "$runs" "$platform" <<'PY'
import statistics, subprocess, sys, time
program, runs, platform = sys.argv[1], int(sys.argv[2]), sys.argv[3]
times = []
for _ in range(runs + 1):
    start = time.monotonic_ns() // 1_000_000
    out = subprocess.run([program, "--first-paint"], capture_output=True, text=True, timeout=60).stdout
    painted = int(out.split("first-paint-ms")[1].split()[0])
    times.append(painted - start)
times = times[1:]  # the first start warms the disk cache
print(f"window: cold start to first painted main window, median of {runs}: {statistics.median(times)} ms "
      f"(min {min(times)}, max {max(times)}; {platform}; target under 400 ms)")
PY
