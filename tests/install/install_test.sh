#!/usr/bin/env bash
# install_test.sh BUILD PLUGINS: the installed program places a head, and an
# upgrade keeps the user's files.
# Installs the build into a temporary prefix, starts the launcher offscreen
# as a designer would (symbol S-3wp) with a stand-in for the designer's
# clicks on the forms (the Qt plugin of tools/designer-robot, in PLUGINS)
# and the designer's points in an input script, then reads the head back
# from the saved drawing with the installed lumo-dxf. The user's suite starts
# as an older launcher left it (a full copy with a program of its own). Then
# a newer installation (new default lists, a new block file, a new program)
# replaces the old one and the program runs again.
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
installed=$prefix/lib/lumo-sygnalizacja
cp -R "$installed" "$LUMO_SUITE"
printf '#!/bin/sh\ntouch "%s"\nexit 3\n' "$work/stale-program-ran" > "$LUMO_SUITE/LUMO/Programy/lumo-sygnalizacja"
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

[ ! -e "$work/stale-program-ran" ] || fail "the older copy of the program in the home folder ran"
heads=$("$installed/LUMO/Programy/lumo-dxf" heads "$LUMO_SUITE/Rysunki/skrzyzowanie.dxf")
grep -q '^[^,]*,S-3wp,110-SYGNALIZACJA_KOMORY,-8200,19500,180,.*26-15/988/K1\b' <<<"$heads" \
  || fail "no head S-3wp 26-15/988/K1 at (-8200, 19500) in the drawing:
$heads"
[ -f "$LUMO_SUITE/LUMO/Programy/LUMO.ini" ] || fail "no LUMO.ini in the user's suite"
echo "installed program placed 26-15/988/K1"

# Nothing of the program is copied into the home folder: the files there are
# the user's (settings, lists, city data, drawings, registry file).
copies=$(cd "$LUMO_SUITE" && find . -type f ! -path './aZasoby/Listy/*' ! -path './Dane/*' \
  ! -path './Rysunki/*' ! -name LUMO.ini ! -name registry.reg)
[ -z "$copies" ] || fail "program files copied into the home folder: $copies"
[ "$(readlink -f "$LUMO_SUITE/aZasoby/Sygnalizacja")" = "$(readlink -f "$installed/aZasoby/Sygnalizacja")" ] \
  || fail "the block files are not the installed ones"

# The user adds an intersection ("+" in the form) and edits a setting.
lists=$LUMO_SUITE/Dane/Miasto/Ulic
printf '990 Moja - Nowa\r\n' >> "$lists/Skrzyzowania.lst"
printf '[Mine]\r\nKept=1\r\n' >> "$LUMO_SUITE/LUMO/Programy/LUMO.ini"
user_lists=$(cat "$lists/Skrzyzowania.lst" "$LUMO_SUITE/aZasoby/Listy/Wykonawcy.lst")
user_ini=$(cat "$LUMO_SUITE/LUMO/Programy/LUMO.ini")

# A newer package: newer default lists, a new list, a new block file and a
# newer program (which says that it ran). The user's files are made an hour
# older, so that the package's are the newer ones without waiting for the clock.
chmod -R u+w "$prefix"
touch -d '1 hour ago' "$lists/Skrzyzowania.lst" "$LUMO_SUITE/aZasoby/Listy/Wykonawcy.lst" \
  "$LUMO_SUITE/LUMO/Programy/LUMO.ini"
printf '; nowa lista\r\n900 Nowe\r\n' > "$installed/Dane/Miasto/Ulic/Skrzyzowania.lst"
printf 'Nowy wykonawca\r\n' >> "$installed/aZasoby/Listy/Wykonawcy.lst"
printf 'Nowy\r\n' > "$installed/aZasoby/Listy/Nowa.lst"
cp "$installed/aZasoby/Sygnalizacja/Sygnalizatory/S-3wp.dxf" "$installed/aZasoby/Sygnalizacja/Sygnalizatory/S-9.dxf"
programs=$installed/LUMO/Programy
mv "$programs/lumo-sygnalizacja" "$programs/lumo-sygnalizacja.bin"
# shellcheck disable=SC2016 # the new program's own script
printf '#!/bin/sh\ntouch "%s"\nexec "$(dirname "$0")/lumo-sygnalizacja.bin" "$@"\n' "$work/new-program-ran" \
  > "$programs/lumo-sygnalizacja"
chmod a+x "$programs/lumo-sygnalizacja"
chmod -R a-w "$prefix"

QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=$plugins QT_QPA_GENERIC_PLUGINS=lumo-designer \
  LUMO_CAD_INPUT=$work/input timeout 90 "$prefix/bin/lumo-sygnalizacja" S-3wp 2>"$work/stderr" \
  || fail "the upgraded program ended with $? (124: it hung)"
[ -e "$work/new-program-ran" ] || fail "the new program did not run"
[ ! -e "$work/stale-program-ran" ] || fail "an older copy of the program ran"
[ "$(cat "$lists/Skrzyzowania.lst" "$LUMO_SUITE/aZasoby/Listy/Wykonawcy.lst")" = "$user_lists" ] \
  || fail "the upgrade changed the user's lists"
grep -q '^Kept=1' "$LUMO_SUITE/LUMO/Programy/LUMO.ini" \
  || fail "the upgrade lost the user's settings: was
$user_ini"
[ -f "$LUMO_SUITE/aZasoby/Listy/Nowa.lst" ] || fail "the new default list did not reach the user"
[ -e "$LUMO_SUITE/aZasoby/Sygnalizacja/Sygnalizatory/S-9.dxf" ] || fail "the new block file did not reach the user"
heads=$("$installed/LUMO/Programy/lumo-dxf" heads "$LUMO_SUITE/Rysunki/skrzyzowanie.dxf")
[ "$(echo "$heads" | grep -c ',S-3wp,')" = 2 ] || fail "the upgraded program placed no second head:
$heads"
echo "upgrade kept the user's lists and settings and ran the new program"
