#!/usr/bin/env bash
# package_test.sh SOURCE FOLDER: the Debian package, built as
# scripts/build-package builds it (in FOLDER), read back as a user's system
# sees it. Its last changelog entry is its version; the packages that hold
# what the program needs at run time but does not link (Qt's Polish texts,
# its platform plugin, the fonts) are among its dependencies; its manual
# pages render without a complaint; and lintian, where it is installed,
# reports no error and no warning.
set -euo pipefail
source=$(cd "$1" && pwd)
folder=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

deb=$("$source/scripts/build-package" "$folder" 2>"$work/build.log") \
  || { cat "$work/build.log" >&2; fail "the package did not build"; }
echo "built $deb"
root=$work/root
dpkg-deb -x "$deb" "$root"
doc=$root/usr/share/doc/lumo-sygnalizacja

version=$(dpkg-deb -f "$deb" Version)
entry=$(gzip -dc "$doc/changelog.Debian.gz" | sed -n '1s/^lumo-sygnalizacja (\([^)]*\)).*/\1/p')
[ "$version" = "$entry" ] \
  || fail "the package is version $version but its changelog's last entry is '$entry'"

# The files are looked up on this machine, where the build's packages put them.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in /usr/share/qt6/translations/qtbase_pl.qm \
              /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqxcb.so \
              /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf; do
  [ -e "$needed" ] || continue
  owner=$(dpkg-query -S "$needed" | cut -d: -f1)
  grep -Eq "(^|, )$owner( |,|$)" <<<"$depends" \
    || fail "$needed comes from $owner, which the package does not depend on: $depends"
done

# Every variable the program or its launcher reads is on the manual pages.
pages=$(find "$root/usr/share/man" -name '*.1.gz' | sort)
[ "$(echo "$pages" | wc -l)" = 2 ] || fail "not two manual pages (English, Polish): $pages"
variables=$(grep -rhoE '"LUMO_[A-Z_]+"' "$source/src" | tr -d '"' | sort -u)
variables+=" $(grep -oE '\bLUMO_[A-Z_]+' "$source/cmake/launcher.sh" | sort -u)"
for page in $pages; do
  text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>"$work/man.err")
  [ ! -s "$work/man.err" ] || fail "${page#"$root"} renders with complaints: $(cat "$work/man.err")"
  for variable in $variables; do
    # (not echo | grep -q: grep leaves at the first match, and with pipefail
    # the echo it cut short fails the check now and then)
    grep -q "^ *$variable\$" <<<"$text" || fail "${page#"$root"} does not describe $variable"
  done
done

if ! command -v lintian >/dev/null; then
  echo "lintian is not installed: the package was not checked by it"
  exit 0
fi
lintian --fail-on error,warning --no-tag-display-limit "$deb" >"$work/lintian" 2>&1 \
  || { cat "$work/lintian" >&2; fail "lintian has errors or warnings"; }
cat "$work/lintian"
echo "lintian: no errors, no warnings"
