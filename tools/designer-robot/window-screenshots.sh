#!/usr/bin/env bash
# window-screenshots.sh PREFIX: the drawing window's pictures for the README
# and the help, from the program installed in PREFIX, as a designer sees it:
# under Xvfb with a window manager (openbox), driven by xdotool. Places an
# S-3wp head on the north inlet of the demo intersection (a click, then a
# typed angle and point),
# then pictures the window, the "Sygnalizacja" menu, the attribute editor
# (a double click on the head) and the plot dialog. Called by
# help-screenshots.sh inside xvfb-run; needs openbox, xdotool, x11-utils
# (xwininfo) and imagemagick.
set -euo pipefail
prefix=$1
cd "$(dirname "$0")/../.."
work=$(mktemp -d /tmp/jan.kowalski.XXXXXX) # the user's home, as the PDF's path shows it
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work XDG_CONFIG_HOME=$work/.config XDG_RUNTIME_DIR=$work/.runtime
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset LUMO_SUITE LUMO_REGISTRY_FILE LUMO_CAD_DRAWING LUMO_CAD_HOST LUMO_CAD_INPUT QT_QPA_PLATFORM XDG_DATA_HOME

openbox >/dev/null 2>&1 &
pids+=($!)

# The id of the window whose title starts with TITLE, once it is there.
window() {
  timeout 30 xdotool search --sync --onlyvisible --name "^$1" | head -n 1
}
gone() {
  local waited=0
  while xdotool search --onlyvisible --name "^$1" >/dev/null 2>&1; do
    sleep 0.2
    waited=$((waited + 1))
    [ "$waited" -lt 150 ] || { echo "window still open: $1" >&2; exit 1; }
  done
}
# Where a window's client area lies on the screen: X Y WIDTH HEIGHT.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }'
}
# Clicks (or double clicks with "2") at DX DY in the window's client area.
click_in() {
  local x y w h
  read -r x y w h < <(geometry "$1")
  xdotool mousemove $((x + $2)) $((y + $3))
  sleep 0.3
  xdotool click --repeat "${4:-1}" --delay 80 1
}
# A picture of the part of the screen the windows given cover, with their
# title bars.
shot() {
  local out=$1 left=100000 top=100000 right=0 bottom=0 x y w h
  shift
  for id in "$@"; do
    read -r x y w h < <(geometry "$id")
    y=$((y - 20)) h=$((h + 20))
    [ "$x" -lt "$left" ] && left=$x
    [ "$y" -lt "$top" ] && top=$y
    [ $((x + w)) -gt "$right" ] && right=$((x + w))
    [ $((y + h)) -gt "$bottom" ] && bottom=$((y + h))
  done
  [ "$top" -ge 0 ] || top=0
  # Until two pictures a moment apart agree: a window just shown paints late
  # on a busy machine.
  local previous='' current tries=0
  sleep 1
  while :; do
    /usr/bin/import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$out"
    current=$(md5sum <"$out")
    [ "$current" = "$previous" ] && break
    previous=$current
    tries=$((tries + 1))
    [ "$tries" -lt 20 ] || break
    sleep 0.7
  done
}
type_answer() {
  xdotool type --delay 20 -- "$1"
  xdotool key Return
  sleep 0.5
}

"$prefix/bin/lumo-sygnalizacja" S-3wp >"$work/log" 2>&1 &
pids+=($!)
drawing=$(window 'skrzyzowanie.dxf')
options=$(window 'Rodzaj i oznaczenie sygnalizatora')
read -r _ _ _ height < <(geometry "$options")
# "Zatwierdź", bottom left of the options form.
click_in "$options" 50 $((height - 24))
gone 'Rodzaj i oznaczenie sygnalizatora'
# The insertion point: a click on the north inlet, left of the drawing's
# middle (which the window shows in the middle of its view), so that the
# double click below finds the head where it was put.
read -r _ _ width height < <(geometry "$drawing")
head_x=$((width / 2 - 42)) head_y=$((height / 2 - 87))
click_in "$drawing" "$head_x" "$head_y"
sleep 0.5
type_answer '180'         # rotation
type_answer '-10500,21500' # the designation
description=$(window 'Opisywanie sygnalizatora')
read -r _ _ width height < <(geometry "$description")
click_in "$description" $((width - 138)) $((height - 25)) # "Zatwierdź"
gone 'Opisywanie sygnalizatora'
gone 'Rodzaj i oznaczenie sygnalizatora'

# The workplace after the run: palette, placed head, layers.
shot docs/drawing-window.png "$drawing"
cp docs/drawing-window.png docs/help/obrazy/okno-rysunku.png

# The "Sygnalizacja" menu with the last symbol.
click_in "$drawing" 190 8
shot docs/drawing-window-palette.png "$drawing"
xdotool key Escape

# The attribute editor: a double click on the head just placed.
click_in "$drawing" "$head_x" "$head_y" 2
attributes=$(window 'Edycja atrybutów')
shot docs/drawing-window-attributes.png "$drawing" "$attributes"
cp docs/drawing-window-attributes.png docs/help/obrazy/atrybuty.png
xdotool key Escape
gone 'Edycja atrybutów'

# The plot dialog over the window.
xdotool key ctrl+p
plot=$(window 'Drukuj / Eksportuj do PDF')
shot docs/plot-dialog.png "$plot"
xdotool key Escape
