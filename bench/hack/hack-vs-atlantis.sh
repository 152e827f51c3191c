#!/usr/bin/env bash
# Frames a second and CPU cores used by the hack drawing into the root window
# and into a 400x300 preview window (as a settings dialog's preview), and the
# same for XScreenSaver's atlantis and glschool, one after the other on one
# X server. The X server's own CPU is counted beside each program's.
#   bench/hack/hack-vs-atlantis.sh BUILD_DIR [SECONDS] [extra tidemere options]
# Runs its own Xvfb at 1920x1080. atlantis is in Debian 12's package
# xscreensaver-gl-extra, glschool in xscreensaver-gl; a missing one is skipped.
set -euo pipefail
build="$(cd "$1" && pwd)"; shift
seconds="${1:-30}"; shift || true
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
cleanup() { for p in ${pids:-}; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
cc -O2 -shared -fPIC -o "$work/swapcount.so" "$here/swapcount.c" -ldl
cc -O2 -o "$work/plainwindow" "$here/plainwindow.c" -lX11
hack() {  # the path of an XScreenSaver hack, or nothing
  command -v "$1" 2>/dev/null || { [ -x "/usr/libexec/xscreensaver/$1" ] && echo "/usr/libexec/xscreensaver/$1"; } || true
}

display=":$((100 + RANDOM % 400))"
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xserver="$!"
pids="$xserver"
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

measure() {  # name, size label, command...: one program alone on the screen
  local name="$1" size="$2"; shift 2
  local pid; pid=$(run "$name" "$@")
  sleep 5  # started and warmed up
  if [ ! -s "$work/$name.count" ]; then
    printf '%-9s %-9s did not draw: %s\n' "$name" "$size" "$(tail -n 1 "$work/$name.log")"
    kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true
    return
  fi
  local f0 t0 f1 t1 c0 c1 x0 x1 w0 w1
  read -r f0 t0 <"$work/$name.count"; c0=$(ticks "$pid"); x0=$(ticks "$xserver"); w0=$(date +%s.%N)
  sleep "$seconds"
  read -r f1 t1 <"$work/$name.count"; c1=$(ticks "$pid"); x1=$(ticks "$xserver"); w1=$(date +%s.%N)
  kill "$pid"; wait "$pid" 2>/dev/null || true
  awk -v n="$name" -v s="$size" -v f0="$f0" -v f1="$f1" -v t0="$t0" -v t1="$t1" \
      -v c0="$c0" -v c1="$c1" -v x0="$x0" -v x1="$x1" -v w0="$w0" -v w1="$w1" \
      -v hz="$(getconf CLK_TCK)" \
    'BEGIN { p = (c1-c0)/hz/(w1-w0); x = (x1-x0)/hz/(w1-w0);
             printf "%-9s %-9s %6.1f fps  %5.2f CPU cores (program %.2f + X server %.2f)  over %.1f s\n",
                    n, s, (f1-f0)/(t1-t0), p+x, p, x, w1-w0 }'
}

preview() {  # name, command... (the window id goes last): a 400x300 preview window
  local name="$1"; shift
  local maker id
  "$work/plainwindow" 400 300 >"$work/window.id" &
  maker=$!
  pids="$pids $maker"
  for _ in $(seq 50); do [ -s "$work/window.id" ] && break; sleep 0.1; done
  id="$(cat "$work/window.id")"
  measure "$name" 400x300 "$@" "$id"
  kill "$maker" 2>/dev/null || true; wait "$maker" 2>/dev/null || true
  rm -f "$work/window.id"
}

echo "each alone on a 1920x1080 Xvfb; CPU cores = the program's plus the X server's"
# One after the other, so none takes CPU from another.
measure tidemere 1920x1080 "$build/tidemere" --root "$@"
preview tidemere "$build/tidemere" "$@" --window-id
for saver in atlantis glschool; do
  path="$(hack "$saver")"
  if [ -z "$path" ]; then
    echo "$saver: not installed, skipped"
    continue
  fi
  measure "$saver" 1920x1080 "$path" -root
  preview "$saver" "$path" -window-id
done
