#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what a desktop reads:
# the .desktop file, the AppStream metadata, the ".klx" file type, the man
# pages, --version and the bash completion. Usage: scripts/install-test.sh BUILD_DIR
set -euo pipefail
build_dir=$(cd "${1:-build}" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
share=$prefix/share

for program in morvanex morvanex-cli; do
  "$prefix/bin/$program" --version | grep -q "^$program [0-9]" || { echo "$program --version failed"; exit 1; }
  MANWIDTH=80 man -l "$share/man/man1/$program.1" 2>/dev/null | grep -q "$program" \
    || { echo "man page of $program unreadable"; exit 1; }
done

desktop-file-validate "$share/applications/morvanex.desktop"
appstreamcli validate --no-net "$share/metainfo/org.example.morvanex.metainfo.xml" >/dev/null \
  || { appstreamcli validate --no-net "$share/metainfo/org.example.morvanex.metainfo.xml"; exit 1; }

XDG_DATA_DIRS="$share" update-mime-database "$share/mime"
sample=$(mktemp -d)/letter.txt.klx
printf 'not really a container' >"$sample"
type=$(XDG_DATA_DIRS="$share" XDG_DATA_HOME="$prefix/none" XDG_CURRENT_DESKTOP=X-Generic xdg-mime query filetype "$sample")
rm -rf "$(dirname "$sample")"
[ "$type" = "application/x-morvanex-klx" ] || { echo "xdg-mime says $type for a .klx file"; exit 1; }

bash -c "source /usr/share/bash-completion/bash_completion 2>/dev/null; source '$share/bash-completion/completions/morvanex-cli'; complete -p morvanex-cli" >/dev/null
echo "install test passed"
