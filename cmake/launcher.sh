#!/bin/sh
# lumo-sygnalizacja [SYMBOL [BREV]]: starts the program on its suite.
#
# The suite is installed beside this launcher, in ../lib/lumo-sygnalizacja.
# The program writes into its suite (LUMO.ini beside the program, new streets
# and intersections in the lists, the drawing). A suite installed into the
# system (below /usr) or one the user cannot write to is therefore copied
# first into the user's own folder: $LUMO_SUITE when set, else
# $XDG_DATA_HOME/lumo-sygnalizacja or ~/.local/share/lumo-sygnalizacja.
# Later starts bring over only what a newer installation changed; the user's
# settings, lists and drawings stay. Any other suite is used where it is.
#
# Without a registry of their own (LUMO_REGISTRY_FILE, or
# $XDG_CONFIG_HOME/lumo/registry.reg) the program finds the demo city, and
# without a drawing of its own (LUMO_CAD_DRAWING, or one opened before) the
# demo drawing Rysunki/skrzyzowanie.dxf.
set -eu

here=$(dirname "$(readlink -f "$0")")
installed=$(readlink -f "$here/../lib/lumo-sygnalizacja")
if [ ! -x "$installed/LUMO/Programy/lumo-sygnalizacja" ]; then
  echo "lumo-sygnalizacja: no program in $installed/LUMO/Programy" >&2
  exit 1
fi

suite=$installed
case "$installed" in /usr/*) system=yes ;; *) system=no ;; esac
if [ -n "${LUMO_SUITE:-}" ] || [ "$system" = yes ] || [ ! -w "$installed/LUMO/Programy" ]; then
  suite=${LUMO_SUITE:-${XDG_DATA_HOME:-$HOME/.local/share}/lumo-sygnalizacja}
  mkdir -p "$suite"
  cp -R --preserve=timestamps --update "$installed/." "$suite/"
  # The copies keep the installed files' modes: make them the user's to change.
  chmod -R u+w "$suite"
fi

config=${XDG_CONFIG_HOME:-$HOME/.config}/lumo
if [ -z "${LUMO_REGISTRY_FILE:-}" ] && [ ! -e "$config/registry.reg" ]; then
  # Registry values hold at most 39 characters: the demo city is named
  # relative to the suite, where the program starts.
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tarn\\Directories]\r\n"aDane"="Dane"\r\n"City"="Miasto"\r\n\r\n' \
    > "$suite/registry.reg"
  export LUMO_REGISTRY_FILE="$suite/registry.reg"
fi
if [ -z "${LUMO_CAD_DRAWING:-}" ] && [ ! -e "$config/cad-host.ini" ]; then
  export LUMO_CAD_DRAWING="$suite/Rysunki/skrzyzowanie.dxf"
fi

cd "$suite"
exec "$suite/LUMO/Programy/lumo-sygnalizacja" "$@"
