#!/usr/bin/env bash
# Pictures of every window and dialog, in Japanese and in English, for
# README.md: on a demo program folder made here (a key set, a partner, a few
# files), under Xvfb, writes docs/*.png.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$repo" -B "$repo/build" -G Ninja >/dev/null
cmake --build "$repo/build" -j "$(nproc)" --target morvanex morvanex-cli mvx_window_pictures >/dev/null
cli="$repo/build/src/cli/morvanex-cli"
window="$repo/build/src/ui/morvanex"

demo="$(mktemp -d)"
trap 'rm -rf "$demo"' EXIT
me() { MORVANEX_HOME="$demo/home" "$cli" "$@"; }
partner() { MORVANEX_HOME="$demo/partner-home" "$cli" "$@"; }

me init --key-root "$demo/keys" --key-name tanaka --user "田中 花子" --mail hanako@example.org >/dev/null 2>&1
partner init --key-root "$demo/partner-keys" --key-name smith --user "John Smith" --mail john@example.com >/dev/null 2>&1
made="$(partner --yes auth "$demo/keys/tanaka.kpub" --expires year 2>/dev/null)"
me --yes keys add "$made" --name "John Smith" --mail john@example.com >/dev/null 2>&1
me keys mkdir Clients >/dev/null 2>&1
cp "$demo/partner-keys/smith.kpub" "$demo/keys/"
me --yes auth "$demo/keys/smith.kpub" --expires month >/dev/null 2>&1
mkdir -p "$demo/files/Reports"
printf 'quarterly figures\n' >"$demo/files/report.txt"
printf 'plan\n' >"$demo/files/plan.odt"
printf 'minutes\n' >"$demo/files/Reports/minutes.txt"
me --yes encrypt "$demo/files/plan.odt" --self >/dev/null 2>&1
printf 'budget\n' >"$demo/files/budget.ods"
me --yes encrypt "$demo/files/budget.ods" --self --history >/dev/null 2>&1
MORVANEX_OPENER=true me open "$demo/files/budget.ods.klx" >/dev/null 2>&1 || true

mkdir -p "$repo/docs"
settings="$demo/home/Values.dat"
shoot() {  # language, mini (0/1), picture, further arguments of the window
  sed -i "s/^LanguageSel=.*/LanguageSel=$1/; s/^UseSmallMenu=.*/UseSmallMenu=$2/; s/^SmallMenuPosition=.*/SmallMenuPosition=1/" "$settings"
  HOME="$demo/files" MORVANEX_HOME="$demo/home" XDG_RUNTIME_DIR="$demo" \
    MORVANEX_SERVICE_URL="${service_url:-}" \
    xvfb-run -a -s "-screen 0 1280x800x24" "$window" --screenshot "$repo/docs/$3" "${@:4}"
  echo "docs/$3"
}
# Every window and dialog from the helper's list; the real program's pictures
# below take the place of its main window, mini window, history viewer,
# barcode window and progress window.
for language in ja en; do
  HOME="$demo/files" XDG_RUNTIME_DIR="$demo" xvfb-run -a -s "-screen 0 1280x800x24" \
    "$repo/build/tests/ui/mvx_window_pictures" "$demo/home" "$language" "$repo/docs" | sed "s|^$repo/||"
done
shoot JP 0 main-window-ja.png
shoot EN 0 main-window-en.png
shoot JP 1 mini-window-ja.png
shoot EN 1 mini-window-en.png
for lang in JP EN; do
  suffix="$(echo "$lang" | tr 'A-Z' 'a-z' | sed 's/jp/ja/')"
  shoot "$lang" 0 "history-viewer-$suffix.png" --show-dialog "history:$demo/files/budget.ods.klx"
  shoot "$lang" 0 "barcode-window-$suffix.png" --show-dialog barcode
done
# The progress window waits on a service that takes the connection and never answers.
python3 -c 'import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(8)
print(s.getsockname()[1], flush=True); time.sleep(120)' >"$demo/port" &
silent=$!
while [ ! -s "$demo/port" ]; do sleep 0.1; done
service_url="https://127.0.0.1:$(cat "$demo/port")/velquin/"
shoot JP 0 progress-window-ja.png --show-dialog progress
shoot EN 0 progress-window-en.png --show-dialog progress
kill "$silent"
