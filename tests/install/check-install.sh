#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands there: the
# exact file list, a man page that renders without warnings, a desktop entry
# that validates, and a hack link that reaches the binary. Then builds the
# Debian package and checks it with lintian.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

expected='games/tidemere
libexec/xscreensaver/tidemere
share/applications/tidemere.desktop
share/doc/tidemere/changelog.gz
share/doc/tidemere/copyright
share/icons/hicolor/scalable/apps/tidemere.svg
share/man/man6/tidemere.6.gz
share/xscreensaver/config/tidemere.xml'
actual="$(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)"
if [ "$actual" != "$expected" ]; then
  echo "installed files differ from the expected list:"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi

link="$prefix/libexec/xscreensaver/tidemere"
[ -L "$link" ] || { echo "the hack is not a link"; exit 1; }
[ "$(readlink -f "$link")" = "$(readlink -f "$prefix/games/tidemere")" ] || { echo "the hack link misses the binary"; exit 1; }
case "$(readlink "$link")" in /*) echo "the hack link is absolute: it breaks when the tree moves"; exit 1;; esac
"$link" --version | grep -q '^Tidemere' || { echo "the linked binary does not run"; exit 1; }

warnings="$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man6/tidemere.6.gz" 2>&1 >/dev/null)"
if [ -n "$warnings" ]; then
  echo "man page warnings:"; echo "$warnings"; exit 1
fi
page="$(MANWIDTH=80 man -l "$prefix/share/man/man6/tidemere.6.gz" 2>/dev/null)"
for section in OPTIONS FILES ENVIRONMENT "SCREENSAVER SETUP" "--window-id"; do
  grep -q -- "$section" <<<"$page" || { echo "man page lacks $section"; exit 1; }
done

desktop="$prefix/share/applications/tidemere.desktop"
desktop-file-validate "$desktop"
# The games folder is not on every session's PATH: the entry names the binary in full.
grep -qx "Exec=$prefix/games/tidemere" "$desktop" || { echo "the desktop entry misses the binary:"; grep '^Exec' "$desktop"; exit 1; }

# The hack's config names the option that puts it into the daemon's window.
grep -q '<screensaver name="tidemere"' "$prefix/share/xscreensaver/config/tidemere.xml"
grep -q '<command arg="--root"/>' "$prefix/share/xscreensaver/config/tidemere.xml"

# The changelog's newest entry is the version the program reports.
version="$("$prefix/games/tidemere" --version | sed 's/^Tidemere //')"
newest="$(zcat "$prefix/share/doc/tidemere/changelog.gz" | sed -n 1p)"
grep -q "^tidemere ($version) " <<<"$newest" ||
  { echo "the changelog's newest entry is not version $version"; exit 1; }
echo "install layout ok"

# The package: what dpkg sees, then lintian.
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb="$(ls "$work"/deb/tidemere_*.deb)"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Section)" = games ] || { echo "section $(field Section), not games"; exit 1; }
for needed in qt6-wayland libsdl2-mixer-2.0-0; do  # both opened at run time, unseen by shlibdeps
  grep -q "$needed" <<<"$(field Depends)" || { echo "the package does not depend on $needed"; exit 1; }
done
[ "$(field Description | wc -l)" -gt 3 ] || { echo "the package has no extended description"; exit 1; }
dpkg-deb -x "$deb" "$work/unpacked"
binary="$work/unpacked/usr/games/tidemere"
[ -x "$binary" ] || { echo "the package has no /usr/games/tidemere"; exit 1; }
if grep -q '\.debug_\|\.symtab' <<<"$(readelf -S "$binary")"; then
  echo "the packaged binary is not stripped"; exit 1
fi
# Hardening lintian only mentions as notes: bound at start, checked string and memory calls.
# (grep reads what readelf printed whole: a pipe would let readelf die early)
dynamic="$(readelf -d "$binary")"
symbols="$(readelf --dyn-syms -W "$binary")"
grep -q 'BIND_NOW' <<<"$dynamic" || { echo "the packaged binary binds lazily"; exit 1; }
grep -q '_chk@' <<<"$symbols" || { echo "the packaged binary has no checked calls (_FORTIFY_SOURCE)"; exit 1; }
# dpkg counts each file in whole KiB, rounded up, and one for every folder and link.
real="$(find "$work/unpacked" -mindepth 1 -printf '%y %s\n' |
  awk '{ n += ($1 == "f") ? int(($2 + 1023) / 1024) : 1 } END { print n }')"
stated="$(field Installed-Size)"
if [ $((stated * 10)) -gt $((real * 11)) ] || [ $((stated * 10)) -lt $((real * 9)) ]; then
  echo "Installed-Size $stated KiB, but the files take $real KiB"; exit 1
fi
if ! command -v lintian >/dev/null; then
  echo "lintian is not installed (Debian package lintian): the package was not checked"
  exit 0
fi
# Errors and warnings fail; pedantic and informational notes are printed.
lintian -I -E --pedantic --fail-on error,warning "$deb" || { echo "lintian found errors or warnings"; exit 1; }
echo "package ok"
