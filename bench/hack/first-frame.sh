#!/usr/bin/env bash
# Time from exec to the first buffer swap, many short runs, the programs taking
# turns on one 1920x1080 Xvfb so a busy machine hurts them alike. Prints the
# median and the fastest run of each; cost-table.sh gives the rest of the picture.
#
#   bench/hack/first-frame.sh [BUILD_DIR] [RUNS]     (build, 15)
#
# Rows: tidemere (hack mode, root window), tidemere-full (the full-screen
# program with five fish), atlantis (XScreenSaver's GL hack, when installed).
# With TIDEMERE_STARTUP_TRACE=1 set, the last run's phases are printed too.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../../build}" && pwd)"
runs="${2:-15}"
work="$(mktemp -d)"
pids=""
cleanup() { for p in $pids; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
cc -O2 -shared -fPIC -o "$work/swapcount.so" "$here/swapcount.c" -ldl

display=":$((100 + RANDOM % 400))"
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids="$!"
export DISPLAY="$display" SDL_AUDIODRIVER=dummy
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

mkdir -p "$work/default/VelmarScr" "$work/full/VelmarScr"
printf '[Fish Number]\r\nFish0=1\r\nFish1=1\r\nFish2=1\r\nFish3=1\r\nFish4=1\r\n' \
  >"$work/full/VelmarScr/KelvaronSet.ini"

names=()
declare -A cmd config
add() { names+=("$1"); config[$1]="$2"; shift 2; cmd[${names[-1]}]="$*"; }
add tidemere default "$build/tidemere" --root
add tidemere-full full "$build/tidemere"
[ -x /usr/libexec/xscreensaver/atlantis ] && add atlantis default /usr/libexec/xscreensaver/atlantis -root

once() {  # name run -> appends the first-frame ms to $work/name.ms
  local name="$1" log="$work/$1.$2" runtime="$work/runtime.$1.$2"
  mkdir -p "$runtime"; chmod 700 "$runtime"
  (
    export SWAPCOUNT_FILE="$log.count" SWAPCOUNT_FIRST="$log.first" LD_PRELOAD="$work/swapcount.so"
    export XDG_CONFIG_HOME="$work/${config[$name]}" XDG_RUNTIME_DIR="$runtime"
    export SWAPCOUNT_T0="$EPOCHREALTIME"
    # shellcheck disable=SC2086
    exec ${cmd[$name]} >"$log.log" 2>&1
  ) &
  local pid=$!
  for _ in $(seq 300); do
    [ -s "$log.first" ] || ! kill -0 "$pid" 2>/dev/null && break
    sleep 0.05
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if [ -s "$log.first" ]; then cat "$log.first" >>"$work/$name.ms"; else echo "$name: no frame" >&2; fi
  sleep 0.3  # the X server settles before the next program
}

for run in $(seq "$runs"); do
  for name in "${names[@]}"; do once "$name" "$run"; done
done
printf "%-14s %6s %8s %8s\n" program runs "median" "fastest"
for name in "${names[@]}"; do
  [ -s "$work/$name.ms" ] || continue
  sort -n "$work/$name.ms" | awk -v n="$name" '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%-14s %6d %8.0f %8.0f\n", n, NR, m, v[1] }'
done
echo "(ms from exec to the first buffer swap, 1920x1080 Xvfb)"
if [ -n "${TIDEMERE_STARTUP_TRACE:-}" ]; then
  for name in tidemere tidemere-full; do echo "$name:"; grep '^startup' "$work/$name.$runs.log" || true; done
fi
