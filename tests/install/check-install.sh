#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands there: the
# exact file list, a man page that renders without warnings, a desktop entry
# that validates, and a hack link that reaches the binary.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

expected='bin/tidemere
libexec/xscreensaver/tidemere
share/applications/tidemere.desktop
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
[ "$(readlink -f "$link")" = "$(readlink -f "$prefix/bin/tidemere")" ] || { echo "the hack link misses the binary"; exit 1; }
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

desktop-file-validate "$prefix/share/applications/tidemere.desktop"
grep -q '^Exec=tidemere$' "$prefix/share/applications/tidemere.desktop"

# The hack's config names the option that puts it into the daemon's window.
grep -q '<screensaver name="tidemere"' "$prefix/share/xscreensaver/config/tidemere.xml"
grep -q '<command arg="--root"/>' "$prefix/share/xscreensaver/config/tidemere.xml"
echo "install layout ok"
