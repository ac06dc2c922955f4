#!/usr/bin/env bash
# Pictures of the main window and the mini window, in Japanese and in English,
# for README.md: starts morvanex under Xvfb on a demo program folder made here
# (a key set, a partner, a few files) and writes docs/*.png.
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

mkdir -p "$repo/docs"
settings="$demo/home/Values.dat"
shoot() {  # language, mini (0/1), picture
  sed -i "s/^LanguageSel=.*/LanguageSel=$1/; s/^UseSmallMenu=.*/UseSmallMenu=$2/; s/^SmallMenuPosition=.*/SmallMenuPosition=1/" "$settings"
  HOME="$demo/files" MORVANEX_HOME="$demo/home" XDG_RUNTIME_DIR="$demo" \
    xvfb-run -a -s "-screen 0 1280x800x24" "$window" --screenshot "$repo/docs/$3"
  echo "docs/$3"
}
shoot JP 0 main-window-ja.png
shoot EN 0 main-window-en.png
shoot JP 1 mini-window-ja.png
shoot EN 1 mini-window-en.png
for language in ja en; do
  HOME="$demo/files" XDG_RUNTIME_DIR="$demo" xvfb-run -a -s "-screen 0 1280x800x24" \
    "$repo/build/tests/ui/mvx_window_pictures" "$demo/home" "$language" "$repo/docs" | sed "s|^$repo/||"
done
