#!/usr/bin/env bash
# install_test.sh BUILD PLUGINS: the installed program places a head.
# Installs the build into a temporary prefix, starts the launcher offscreen
# as a designer would (symbol S-3wp) with a stand-in for the designer's
# clicks on the forms (the Qt plugin of tools/designer-robot, in PLUGINS)
# and the designer's points in an input script, then reads the head back
# from the saved drawing with the installed lumo-dxf.
set -euo pipefail
build=$(cd "$1" && pwd)
plugins=$(cd "$2" && pwd)

work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/stderr" ] && cat "$work/stderr" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/lumo-sygnalizacja lib/lumo-sygnalizacja/LUMO/Programy/lumo-sygnalizacja \
         lib/lumo-sygnalizacja/LUMO/Programy/lumo-dxf lib/lumo-sygnalizacja/LUMO/Programy/pomoc/index.html \
         lib/lumo-sygnalizacja/aZasoby/Sygnalizacja/Sygnalizatory/S-3wp.dxf \
         lib/lumo-sygnalizacja/aZasoby/Listy/SygnTypySygnDet.lst \
         lib/lumo-sygnalizacja/Dane/Miasto/Ulic/Skrzyzowania.lst \
         lib/lumo-sygnalizacja/Rysunki/skrzyzowanie.dxf \
         share/applications/lumo-sygnalizacja.desktop \
         share/icons/hicolor/scalable/apps/lumo-sygnalizacja.svg; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
[ ! -e "$prefix/lib/lumo-sygnalizacja/registry.reg" ] || fail "the build's registry file was installed"

# A user of their own, and a suite installed as the package installs it:
# the launcher works on the user's copy of it.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime
export LUMO_SUITE=$work/home/suite
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset LUMO_REGISTRY_FILE LUMO_CAD_DRAWING LUMO_CAD_HOST
chmod -R a-w "$prefix"

# The north arm: southbound traffic stops at y = 19500 and keeps to the
# west half of the street; the head stands on the footway, turned to face it.
cat > "$work/input" <<'SCRIPT'
point -8200 19500
angle 180
point -10500 21500
SCRIPT

QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=$plugins QT_QPA_GENERIC_PLUGINS=lumo-designer \
  LUMO_CAD_INPUT=$work/input timeout 90 "$prefix/bin/lumo-sygnalizacja" S-3wp 2>"$work/stderr" \
  || fail "the program ended with $? (124: it hung)"

grep -q 'lumo-designer: frmAtrybutySygnalizatora: cmdAccept' "$work/stderr" \
  || fail "the description form never showed"
if grep 'lumo-designer: message:' "$work/stderr"; then fail "the program showed a message"; fi

heads=$("$LUMO_SUITE/LUMO/Programy/lumo-dxf" heads "$LUMO_SUITE/Rysunki/skrzyzowanie.dxf")
echo "$heads" | grep -q '^[^,]*,S-3wp,110-SYGNALIZACJA_KOMORY,-8200,19500,180,.*26-15/988/K1\b' \
  || fail "no head S-3wp 26-15/988/K1 at (-8200, 19500) in the drawing:
$heads"
[ -f "$LUMO_SUITE/LUMO/Programy/LUMO.ini" ] || fail "no LUMO.ini beside the user's program"
echo "installed program placed 26-15/988/K1"
