#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit, GL under Xvfb,
# and the real binary end to end).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
build="${BUILD_DIR:-$here/build}"
# Tests never touch the user's own settings or runtime folder.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/config" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime"
export SDL_AUDIODRIVER=dummy
cd "$build"
# -noreset: an X server that resets whenever its last client leaves refuses
# the next test's connection now and then under load.
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j "$(nproc)" "$@"
