#!/usr/bin/env bash
# help-screenshots.sh [BUILD]: takes the help's screenshots again from the
# real program of the build: the install test's run (S-3wp on the demo
# drawing) with the stand-in designer saving every window it sees, then the
# pictures the help pages show are copied to docs/help/obrazy.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
# Polish dates and numbers, as the designer sees them.
env -u LC_ALL LANG=pl_PL.UTF-8 LUMO_DESIGNER_SHOTS="$shots" \
  tests/install/install_test.sh "$build" "$build/tools/designer-robot/plugins"

# The options form as it opens, the drawing settings; the description form,
# and the drawing window behind it with the head just placed.
options=$(ls "$shots"/*-frmMain.png | head -n 1)
settings=$(ls "$shots"/*-frmUstawienia.png | head -n 1)
description=$(ls "$shots"/*-frmAtrybutySygnalizatora.png | head -n 1)
step=$(basename "$description" | cut -d- -f1)
cp "$options" docs/help/obrazy/sygnalizator.png
cp "$settings" docs/help/obrazy/ustawienia.png
cp "$description" docs/help/obrazy/opis.png
cp "$shots/$step-MainWindow.png" docs/help/obrazy/rysunek.png
ls -l docs/help/obrazy
