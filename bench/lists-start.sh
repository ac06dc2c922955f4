#!/usr/bin/env bash
# Start of the window program with the file pane on a folder of N empty files
# (N = 0, 2,000, 10,000, 100,000): from the process start to the first
# painted main window, the median of RUNS starts (default 3), on Xvfb when it
# is installed. With a second program (an older build), both are measured in
# the same run, one start of each in turn.
# Usage: bench/lists-start.sh BUILD_DIR [RUNS] [OTHER_MORVANEX]
set -euo pipefail
build=${1:?usage: bench/lists-start.sh BUILD_DIR [RUNS] [OTHER_MORVANEX]}
runs=${2:-3}
other=${3:-}
work="$(mktemp -d)"
trap 'kill "${xvfb:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
MORVANEX_HOME="$work/home" "$build/src/cli/morvanex-cli" init --key-root "$work/keys" --key-name start \
  --user Start --mail start@example.org >/dev/null 2>&1
sed -i 's/^UseSmallMenu=.*/UseSmallMenu=0/' "$work/home/Values.dat"
for files in 0 2000 10000 100000; do
  mkdir -p "$work/files-$files"
  (cd "$work/files-$files" && seq -f "photo-%06g.jpg" 1 "$files" | head -n "$files" | xargs -r touch)
done
if command -v Xvfb >/dev/null; then
  Xvfb :96 -screen 0 1280x800x24 >/dev/null 2>&1 &
  xvfb=$!
  sleep 1
  export DISPLAY=:96
  platform=xcb
else
  export QT_QPA_PLATFORM=offscreen
  platform=offscreen
fi
MORVANEX_HOME="$work/home" XDG_RUNTIME_DIR="$work" python3 - "$work" "$runs" "$platform" \
  "$build/src/ui/morvanex" $other <<'PY'
import os, statistics, subprocess, sys, time
work, runs, platform, programs = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]
def start(program, files):
    env = dict(os.environ, HOME=f"{work}/files-{files}")
    begin = time.monotonic_ns() // 1_000_000
    out = subprocess.run([program, "--first-paint"], capture_output=True, text=True, timeout=600, env=env).stdout
    return int(out.split("first-paint-ms")[1].split()[0]) - begin
for files in (0, 2000, 10000, 100000):
    times = {program: [] for program in programs}
    for program in programs:
        start(program, files)  # warms the disk cache
    for _ in range(runs):
        for program in programs:
            times[program].append(start(program, files))
    line = ", ".join(f"{'this build' if i == 0 else 'other'} {statistics.median(t)} ms" for i, (p, t) in
                     enumerate(times.items()))
    print(f"lists: window start to first paint, file pane on {files:6d} files, median of {runs}: {line} ({platform})",
          flush=True)
PY
