#!/usr/bin/env bash
# What each program costs on one 1920x1080 Xvfb, side by side: frames a
# second, cores of the program and of the X server, CPU ms (program + X
# server) per drawn frame, resident memory, and time from exec to the first
# buffer swap. The programs take turns, one alone on the screen at a time,
# for ROUNDS rounds, so a busy machine hurts them alike.
#
#   bench/hack/cost-table.sh [BUILD_DIR] [SECONDS] [ROUNDS]     (build, 15, 2)
#
# Rows: tidemere        hack mode on the root window, default settings
#       tidemere-full   the full-screen program with 5 fish, all 110 bubbles
#                       and a feed click every second (prey)
#       atlantis, glschool   XScreenSaver's GL hacks on the root window
#                       (Debian: xscreensaver-gl, xscreensaver-gl-extra)
#       *-preview       the same hack in a 400x300 window, like the daemon's preview
# Programs that are not installed are skipped. Needs Xvfb, xdotool, cc.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../../build}" && pwd)"
seconds="${2:-15}"
rounds="${3:-2}"
warmup=5
work="$(mktemp -d)"
pids=""
cleanup() { for p in $pids; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
cc -O2 -shared -fPIC -o "$work/swapcount.so" "$here/swapcount.c" -ldl
cc -O2 -o "$work/plainwin" "$here/plainwin.c" -lX11
hacks=/usr/libexec/xscreensaver

display=":$((100 + RANDOM % 400))"
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
pids="$xvfb"
export DISPLAY="$display" SDL_AUDIODRIVER=dummy
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
hz=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# A settings folder per kind of run; QIPAONUM counts the bubbles left out.
mkdir -p "$work/default/VelmarScr" "$work/full/VelmarScr"
printf '[Aquarium Settings]\r\nQIPAONUM=0\r\n[Fish Number]\r\nFish0=1\r\nFish1=1\r\nFish2=1\r\nFish3=1\r\nFish4=1\r\n' \
  >"$work/full/VelmarScr/KelvaronSet.ini"

preview=""
if [ -x "$work/plainwin" ]; then
  "$work/plainwin" 400 300 >"$work/preview.id" &
  pids="$pids $!"
  for _ in $(seq 50); do [ -s "$work/preview.id" ] && break; sleep 0.1; done
  preview=$(cat "$work/preview.id")
fi

# name -> command line; kept in run order.
names=()
declare -A cmd config
add() { names+=("$1"); config[$1]="$2"; shift 2; cmd[${names[-1]}]="$*"; }
add tidemere default "$build/tidemere" --root
add tidemere-full full "$build/tidemere"
for hack in atlantis glschool; do
  [ -x "$hacks/$hack" ] && add "$hack" default "$hacks/$hack" -root
done
if [ -n "$preview" ]; then
  add tidemere-preview default "$build/tidemere" --window-id "$preview"
  [ -x "$hacks/atlantis" ] && add atlantis-preview default "$hacks/atlantis" -window-id "$preview"
fi

measure() {  # name round
  local name="$1" round="$2" log="$work/$1.$2"
  local runtime="$work/runtime.$1.$2"
  mkdir -p "$runtime"; chmod 700 "$runtime"
  rm -f "$log.count" "$log.first"
  (
    export SWAPCOUNT_FILE="$log.count" SWAPCOUNT_FIRST="$log.first" LD_PRELOAD="$work/swapcount.so"
    export XDG_CONFIG_HOME="$work/${config[$name]}" XDG_RUNTIME_DIR="$runtime"
    export SWAPCOUNT_T0="$EPOCHREALTIME"
    # shellcheck disable=SC2086
    exec ${cmd[$name]} >"$log.log" 2>&1
  ) &
  local pid=$! clicker=""
  if [ "$name" = tidemere-full ]; then
    # Feed clicks: each releases prey for the fish to chase.
    ( while sleep 1; do xdotool mousemove $((300 + RANDOM % 1300)) $((200 + RANDOM % 600)) click 1 >/dev/null 2>&1 || true; done ) &
    clicker=$!
  fi
  # Started (a busy machine may take seconds to the first frame), then warmed up.
  for _ in $(seq 600); do
    [ -s "$log.count" ] || ! kill -0 "$pid" 2>/dev/null && break
    sleep 0.1
  done
  sleep "$warmup"
  if ! kill -0 "$pid" 2>/dev/null || [ ! -s "$log.count" ]; then
    echo "$name: did not draw (log: $(head -c 300 "$log.log"))" >&2
    [ -n "$clicker" ] && kill "$clicker" 2>/dev/null
    return
  fi
  local f0 t0 f1 t1 c0 c1 x0 x1 w0 w1 rss own
  read -r f0 t0 <"$log.count"; c0=$(ticks "$pid"); x0=$(ticks "$xvfb"); w0=$EPOCHREALTIME
  sleep "$seconds"
  read -r f1 t1 <"$log.count"; c1=$(ticks "$pid"); x1=$(ticks "$xvfb"); w1=$EPOCHREALTIME
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
  # Memory the program made itself (heap, anonymous maps, shared-memory
  # images), without library pages, which RSS counts in every process that
  # maps them.
  own=$(awk '/^[0-9a-f]+-[0-9a-f]+ / {mine = NF < 6 || $6 ~ /^\[/ || $6 ~ /SYSV/}
             mine && /^Rss:/ {k += $2} END {print k}' "/proc/$pid/smaps")
  [ -n "$clicker" ] && { kill "$clicker" 2>/dev/null; wait "$clicker" 2>/dev/null || true; }
  kill "$pid"; wait "$pid" 2>/dev/null || true
  awk -v n="$name" -v r="$round" -v f0="$f0" -v f1="$f1" -v t0="$t0" -v t1="$t1" \
      -v c0="$c0" -v c1="$c1" -v x0="$x0" -v x1="$x1" -v w0="$w0" -v w1="$w1" -v hz="$hz" \
      -v rss="$rss" -v own="$own" -v first="$(cat "$log.first" 2>/dev/null || echo -1)" 'BEGIN {
    fps = (f1 - f0) / (t1 - t0); wall = w1 - w0
    prog = (c1 - c0) / hz / wall; xs = (x1 - x0) / hz / wall
    per = fps > 0 ? (prog + xs) * 1000 / fps : 0
    printf "%-17s %5d %7.1f %8.2f %8.2f %10.1f %8.1f %8.1f %9.0f\n", n, r, fps, prog, xs, per, rss / 1024, own / 1024, first
  }'
}

printf "%-17s %5s %7s %8s %8s %10s %8s %8s %9s\n" program round fps "cores" "X cores" "ms/frame" "RSS MB" "data MB" "first ms"
for round in $(seq "$rounds"); do
  for name in "${names[@]}"; do measure "$name" "$round"; done
done
echo "(1920x1080 Xvfb; ${seconds} s each, ${warmup} s after the first frame; ms/frame counts program + X server CPU;"
echo " data MB: the resident part of RSS that is not library code: heap, anonymous and shared-memory pages;"
echo " first ms: exec to first buffer swap; preview window 400x300)"
