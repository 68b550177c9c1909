#!/usr/bin/env bash
# help-screenshots.sh [BUILD]: takes the help's screenshots again from the
# real program of the build: the install test's run (S-3wp on the demo
# drawing) with the stand-in designer saving every window it sees, then the
# pictures the help pages show are copied to docs/help/obrazy; then a run
# with a pedestrian head (S-5) for the detector form and its settings; last
# the drawing window as the designer sees it, for the README and the help
# (window-screenshots.sh, under Xvfb with a window manager).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
# Polish dates and numbers, as the designer sees them.
env -u LC_ALL LANG=pl_PL.UTF-8 LUMO_DESIGNER_SHOTS="$shots" \
  tests/install/install_test.sh "$build" "$build/tools/designer-robot/plugins"

# The options form as it opens, the drawing settings, the description form.
options=$(ls "$shots"/*-frmMain.png | head -n 1)
settings=$(ls "$shots"/*-frmUstawienia.png | head -n 1)
description=$(ls "$shots"/*-frmAtrybutySygnalizatora.png | head -n 1)
cp "$options" docs/help/obrazy/sygnalizator.png
cp "$settings" docs/help/obrazy/ustawienia.png
cp "$description" docs/help/obrazy/opis.png

# A pedestrian head with push buttons: the detector form and its settings.
work=$(mktemp -d)
trap 'rm -rf "$shots" "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
mkdir -p "$work/home" "$work/shots"
printf 'point 16500 8200\nangle 0\npoint 17300 8700\n' > "$work/input"
env -u LC_ALL LANG=pl_PL.UTF-8 HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
  LUMO_SUITE="$work/home/suite" QT_QPA_PLATFORM=offscreen \
  QT_PLUGIN_PATH="$(cd "$build" && pwd)/tools/designer-robot/plugins" QT_QPA_GENERIC_PLUGINS=lumo-designer \
  LUMO_DESIGNER_SHOTS="$work/shots" LUMO_CAD_INPUT="$work/input" \
  timeout 90 "$work/prefix/bin/lumo-sygnalizacja" S-5 2>/dev/null
cp "$(ls "$work"/shots/*-frmDetektory.png | head -n 1)" docs/help/obrazy/detektory.png
cp "$(ls "$work"/shots/*-frmUstawieniaDetektory.png | head -n 1)" docs/help/obrazy/ustawienia-detektorow.png
# The drawing window, its menu, the attribute editor and the plot dialog.
xvfb-run -a -s '-screen 0 1600x1000x24' tools/designer-robot/window-screenshots.sh "$work/prefix"
ls -l docs/*.png docs/help/obrazy
