#!/bin/sh
# lumo-sygnalizacja [SYMBOL [BREV]]: starts the program on its suite.
# lumo-sygnalizacja DRAWING.dxf: opens the drawing in the workplace (the menu
# entry and file managers start it so).
#
# The suite is installed beside this launcher, in ../lib/lumo-sygnalizacja.
# The installed program always runs from there, and so are the block files
# and the help read from there. The program writes into its suite (LUMO.ini,
# new streets and intersections in the lists, the drawing, the registry
# file), so a suite installed into the system (below /usr) or one the user
# cannot write to gets a suite of the user's own: $LUMO_SUITE when set, else
# $XDG_DATA_HOME/lumo-sygnalizacja or ~/.local/share/lumo-sygnalizacja. There
#  - the lists (aZasoby/Listy), the city data (Dane) and the drawings
#    (Rysunki) are the user's files: each is copied from the installed
#    default once, when the user has no file of that name, and never
#    replaced afterwards;
#  - everything else (the block files, the help, the programs) is a link into
#    the installation, so an upgrade reaches it at once;
#  - LUMO.ini is made by the program in LUMO/Programy.
# The program is told where that suite is (LUMO_SUITE). Any other suite (one
# the user installed where they can write) is used where it is.
#
# Without a registry of their own (LUMO_REGISTRY_FILE, or
# $XDG_CONFIG_HOME/lumo/registry.reg) the program finds the demo city, and
# without a drawing of its own (LUMO_CAD_DRAWING, or one opened before) the
# demo drawing Rysunki/skrzyzowanie.dxf.
set -eu

here=$(dirname "$(readlink -f "$0")")
installed=$(readlink -f "$here/../lib/lumo-sygnalizacja")
program=$installed/LUMO/Programy/lumo-sygnalizacja
if [ ! -x "$program" ]; then
  echo "lumo-sygnalizacja: no program in $installed/LUMO/Programy" >&2
  exit 1
fi

# A drawing given instead of a symbol is the one to open.
case "${1:-}" in
  *.dxf | *.DXF | *.Dxf)
    LUMO_CAD_DRAWING=$(readlink -f -- "$1" || printf '%s' "$1")
    export LUMO_CAD_DRAWING
    shift
    ;;
esac

# Copies the installed files below $1 that the user has no file of (nor a
# link) of the same name; the copies are the user's to change.
copy_missing() {
  [ -e "$installed/$1" ] || return 0
  (cd "$installed" && find "$1" -type f) | while IFS= read -r file; do
    if [ ! -e "$suite/$file" ] && [ ! -L "$suite/$file" ]; then
      mkdir -p "$suite/$(dirname "$file")"
      cp -- "$installed/$file" "$suite/$file"
      chmod u+w "$suite/$file"
    fi
  done
}

# True when every file below $1 in the user's suite has a namesake in the
# installation: a copy an older launcher made, nothing of the user's.
only_installed_names() {
  mine=$(cd "$suite" && find "$1" ! -type d | while IFS= read -r file; do
    [ -e "$installed/$file" ] || [ -L "$installed/$file" ] || echo "$file"
  done)
  [ -z "$mine" ]
}

# Links $1 of the user's suite to the installation: a link of ours follows
# the installation, an older launcher's copy gives way, a file or folder of
# the user's own stays.
link_installed() {
  if [ -L "$suite/$1" ]; then
    ln -sfn "$installed/$1" "$suite/$1"
  elif [ ! -e "$suite/$1" ]; then
    ln -s "$installed/$1" "$suite/$1"
  elif only_installed_names "$1"; then
    chmod -R u+w "$suite/$1"
    rm -rf "${suite:?}/${1:?}"
    ln -s "$installed/$1" "$suite/$1"
  fi
}

# Every entry of folder $1 (relative, "." for the root) except the names that
# follow is linked; links whose installed file went away are removed.
link_folder() {
  folder=$1
  shift
  mkdir -p "$suite/$folder"
  for entry in "$installed/$folder"/* "$installed/$folder"/.[!.]*; do
    [ -e "$entry" ] || [ -L "$entry" ] || continue
    name=${entry##*/}
    keep=no
    for own in "$@"; do
      # shellcheck disable=SC2254 # the names are patterns
      case "$name" in $own) keep=yes ;; esac
    done
    [ "$keep" = yes ] || link_installed "$folder/$name"
  done
  for entry in "$suite/$folder"/* "$suite/$folder"/.[!.]*; do
    if [ -L "$entry" ] && [ ! -e "$entry" ]; then
      case "$(readlink "$entry")" in "$installed"/*) rm -f "$entry" ;; esac
    fi
  done
}

suite=$installed
case "$installed" in /usr/*) system=yes ;; *) system=no ;; esac
if [ -n "${LUMO_SUITE:-}" ] || [ "$system" = yes ] || [ ! -w "$installed/LUMO/Programy" ]; then
  suite=${LUMO_SUITE:-${XDG_DATA_HOME:-$HOME/.local/share}/lumo-sygnalizacja}
  mkdir -p "$suite"
  suite=$(readlink -f "$suite")
fi
if [ "$suite" != "$installed" ]; then
  link_folder . LUMO aZasoby Dane Rysunki registry.reg
  link_folder LUMO Programy
  link_folder LUMO/Programy '*.ini' '*.INI'
  link_folder aZasoby Listy
  copy_missing aZasoby/Listy
  copy_missing Dane
  copy_missing Rysunki
  copy_missing LUMO/Programy/LUMO.ini
  export LUMO_SUITE="$suite"
fi

config=${XDG_CONFIG_HOME:-$HOME/.config}/lumo
if [ -z "${LUMO_REGISTRY_FILE:-}" ] && [ ! -e "$config/registry.reg" ]; then
  # Registry values hold at most 39 characters: the demo city is named
  # relative to the suite, which a relative folder counts from.
  if [ ! -e "$suite/registry.reg" ]; then
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Tarn\\Directories]\r\n"aDane"="Dane"\r\n"City"="Miasto"\r\n\r\n' \
      > "$suite/registry.reg"
  fi
  export LUMO_REGISTRY_FILE="$suite/registry.reg"
fi
if [ -z "${LUMO_CAD_DRAWING:-}" ] && [ ! -e "$config/cad-host.ini" ]; then
  export LUMO_CAD_DRAWING="$suite/Rysunki/skrzyzowanie.dxf"
fi

cd "$suite"
exec "$program" "$@"
