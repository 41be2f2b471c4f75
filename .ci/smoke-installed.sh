#!/bin/sh
# Starts the installed studio as a user would (through the link on the PATH, with a fresh
# home), waits for its main window, closes it the way a window manager does and checks
# that it ends with status 0, having read its cursor file and its skin from the folder
# the link resolves to.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${LOOM_SMOKE_INNER:-}" ]; then
    LOOM_SMOKE_INNER=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$here/smoke-installed.sh"
fi

program=/usr/bin/loomchart
title="Loomchart Page Studio"
folder=$(dirname "$(readlink -f "$program")")
work=$(mktemp -d)
skin="$folder/x/o.cjs"
# The skin goes into the installed program's folder, which only root may change.
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
cleanup() {
    [ -n "${watcher:-}" ] && kill "$watcher" 2>/dev/null || true
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
    if [ -n "${placed:-}" ]; then
        $sudo rm -f "$skin"
        $sudo rmdir "$folder/x" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "smoke check FAILED: $*" >&2
    [ -s "$work/output" ] && sed 's/^/  program: /' "$work/output" >&2
    exit 1
}

[ -L "$program" ] || fail "$program is not a link"
[ -f "$folder/HAND-M.CUR" ] || fail "no HAND-M.CUR beside $(readlink -f "$program")"
# The package has no skin; a plain one is put in place for the check and taken away after.
[ -e "$skin" ] && fail "$skin exists already"
placed=1
$sudo mkdir -p "$folder/x"
printf 'QWidget { font-size: 9pt; }\n' | $sudo tee "$skin" >/dev/null

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

inotifywait -q -m -r -e open --format '%w%f' "$folder" >"$work/opened" 2>"$work/watch" &
watcher=$!
for _ in $(seq 50); do
    grep -q "Watches established" "$work/watch" 2>/dev/null && break
    sleep 0.1
done

started=$(date +%s.%N)
"$program" >"$work/output" 2>&1 &
pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name "^$title\$" | head -n 1) ||
    fail "no window titled \"$title\" within 60 s"
shown=$(date +%s.%N)
echo "main window $window shown after $(awk -v a="$started" -v b="$shown" 'BEGIN { printf "%.1f", b - a }') s"
if xdotool search --onlyvisible --name "Application Error" >/dev/null 2>&1; then
    fail "an Application Error box is open"
fi

# Debian's interpreter, which python3-xlib is installed for.
/usr/bin/python3 "$here/close-window.py" "$window"
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "still running 10 s after WM_DELETE_WINDOW"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "ended with status $status"
echo "closed by WM_DELETE_WINDOW; ended with status 0"

grep -qx "$folder/HAND-M.CUR" "$work/opened" || fail "HAND-M.CUR in $folder was never opened"
grep -qx "$skin" "$work/opened" || fail "the skin $skin was never opened"
echo "opened beside the program: $(grep -x -e "$folder/HAND-M.CUR" -e "$skin" "$work/opened" | sort -u | tr '\n' ' ')"
if [ -s "$work/output" ]; then
    echo "program output:"
    sed 's/^/  /' "$work/output"
fi
echo "smoke check passed"
