#!/usr/bin/env bash
# Lists the windows of the window program as a screen reader sees them: it
# starts morvanex under Xvfb with a private session bus and the accessibility
# bus, walks its tree over AT-SPI and prints each node's role and name,
# indented by depth. Fails when the program does not appear on the bus, or
# when a push button, check box, radio button or text field has no name.
# Usage: scripts/a11y-dump.sh [BUILD_DIR [LANGUAGE]]   (LANGUAGE: EN or JP)
set -euo pipefail
build_dir=$(cd "${1:-build}" && pwd)
language=${2:-EN}
if [ -z "${MVX_A11Y_INSIDE:-}" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  export MVX_A11Y_INSIDE=1 MVX_A11Y_WORK=$work XDG_RUNTIME_DIR=$work/run HOME=$work
  mkdir -m 0700 "$XDG_RUNTIME_DIR"
  exec timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- bash "$0" "$build_dir" "$language"
fi

work=$MVX_A11Y_WORK
export MORVANEX_HOME=$work/home
"$build_dir/src/cli/morvanex-cli" init --key-root "$work/keys" --key-name me --user "Me" --mail me@example.org \
  >/dev/null 2>&1 || { echo "morvanex-cli init failed"; exit 1; }
sed -i "s/^LanguageSel=.*/LanguageSel=$language/; s/^UseSmallMenu=.*/UseSmallMenu=0/; s/^FirstStart=.*/FirstStart=0/" \
  "$MORVANEX_HOME/Values.dat"

/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/bus.log" 2>&1 &
bus=$!
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$build_dir/src/ui/morvanex" >"$work/morvanex.log" 2>&1 &
program=$!
status=0
/usr/bin/python3 - "$program" <<'PY' || status=$?
import sys, time
import pyatspi

NAMED = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_TEXT,
         pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_LIST, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE}

def program():
    for _ in range(200):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.get_process_id() == int(sys.argv[1]) and app.childCount > 0:
                return app
        time.sleep(0.1)
    return None

unnamed = []
nodes = 0

def labels(node):
    """The names of the labels a node is labelled by (a list under its caption)."""
    found = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            found += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return [name for name in found if name]

def walk(node, depth):
    global nodes
    nodes += 1
    role, name = node.getRoleName(), node.name or ""
    labelled = labels(node)
    print("  " * depth + f"{role}: {name}" + (f" (labelled by: {', '.join(labelled)})" if labelled else ""))
    if not name and labelled:
        name = labelled[0]
    states = node.getState()
    inside_combo = node.parent is not None and node.parent.getRole() == pyatspi.ROLE_COMBO_BOX
    if node.getRole() in NAMED and not name and not inside_combo and states.contains(pyatspi.STATE_SHOWING) \
            and states.contains(pyatspi.STATE_FOCUSABLE):
        unnamed.append("  " * depth + role)
    if depth < 25:
        for child in node:
            if child is not None:
                walk(child, depth + 1)

app = program()
if app is None:
    print("the program did not appear on the accessibility bus")
    sys.exit(1)
time.sleep(1)
walk(app, 0)
print(f"{nodes} nodes")
if unnamed:
    print("controls without a name:\n" + "\n".join(unnamed))
    sys.exit(1)
PY
kill "$program" 2>/dev/null || true
wait "$program" 2>/dev/null || true
kill "$bus" 2>/dev/null || true
exit "$status"
