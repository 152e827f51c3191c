#!/usr/bin/env bash
# Frames a second and CPU cores used by the hack drawing into the root window,
# and the same for XScreenSaver's atlantis, one after the other on one X server.
#   bench/hack/hack-vs-atlantis.sh BUILD_DIR [SECONDS] [extra tidemere options]
# Runs its own Xvfb at 1920x1080 (needs xscreensaver-gl for atlantis).
set -euo pipefail
build="$(cd "$1" && pwd)"; shift
seconds="${1:-30}"; shift || true
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
cleanup() { for p in ${pids:-}; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
cc -O2 -shared -fPIC -o "$work/swapcount.so" "$here/swapcount.c" -ldl
atlantis="$(command -v atlantis || echo /usr/libexec/xscreensaver/atlantis)"

display=":$((100 + RANDOM % 400))"
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids="$!"
sleep 1
export DISPLAY="$display" SDL_AUDIODRIVER=dummy
mkdir -p "$work/config" "$work/runtime"; chmod 700 "$work/runtime"


# ticks (clock ticks of user + system time) of a process
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

run() {  # name, command...
  local name="$1"; shift
  SWAPCOUNT_FILE="$work/$name.count" LD_PRELOAD="$work/swapcount.so" \
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" "$@" >"$work/$name.log" 2>&1 &
  echo $!
}

measure() {  # name, command...: one program alone on the screen
  local name="$1"; shift
  local pid; pid=$(run "$name" "$@")
  sleep 5  # started and warmed up
  local f0 t0 f1 t1 c0 c1 w0 w1
  read -r f0 t0 <"$work/$name.count"; c0=$(ticks "$pid"); w0=$(date +%s.%N)
  sleep "$seconds"
  read -r f1 t1 <"$work/$name.count"; c1=$(ticks "$pid"); w1=$(date +%s.%N)
  kill "$pid"; wait "$pid" 2>/dev/null || true
  awk -v n="$name" -v f0="$f0" -v f1="$f1" -v t0="$t0" -v t1="$t1" -v c0="$c0" -v c1="$c1" \
      -v w0="$w0" -v w1="$w1" -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%-9s %6.1f fps  %5.2f CPU cores  over %.1f s at 1920x1080\n", n, (f1-f0)/(t1-t0), (c1-c0)/hz/(w1-w0), w1-w0 }'
}

# One after the other, so neither takes CPU from the other.
measure tidemere "$build/tidemere" --root "$@"
measure atlantis "$atlantis" -root
