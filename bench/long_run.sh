#!/usr/bin/env bash
# A long run of the real program: 1280x720, 5 fish, all 110 bubbles, a feed
# click every second, resident memory sampled once a second from /proc.
# Prints the growth from frame 1000 to the end; it should be flat.
#
#   bench/long_run.sh [FRAMES] [BINARY]        (default 100000, build/tidemere)
#
# Needs xvfb-run and xdotool. Frames are counted by the program; the frame of
# each sample is estimated from the time since the first frame, at the run's
# own average pace. For a sanitizer build the program's stderr is kept and its
# reports are counted at the end (ASAN_OPTIONS / UBSAN_OPTIONS pass through;
# such a build carries its own leak suppressions).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
frames="${1:-100000}"
binary="$(realpath "${2:-$here/build/tidemere}")"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x720x24" "$0" "$@"
fi

work="$(mktemp -d)"
out="${LONG_RUN_OUT:-$work}"
mkdir -p "$out" "$work/config/VelmarScr" "$work/runtime"
chmod 700 "$work/runtime"
# QIPAONUM counts the bubbles left out: 0 draws all 110.
printf '[Aquarium Settings]\r\nQIPAONUM=0\r\n[Fish Number]\r\nFish0=1\r\nFish1=1\r\nFish2=1\r\nFish3=1\r\nFish4=1\r\n' \
  >"$work/config/VelmarScr/KelvaronSet.ini"

XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" SDL_AUDIODRIVER=dummy \
  "$binary" --window 1280x720 --frames "$frames" --seed 1 >"$out/stdout.txt" 2>"$out/stderr.txt" &
pid=$!

# The program is drawing once its window is there.
for _ in $(seq 600); do
  xdotool search --onlyvisible --name Tidemere >/dev/null 2>&1 && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
start=$(date +%s%N)

samples="$out/rss.csv"
echo "ms,rss_kb" >"$samples"
clicks=0
while kill -0 "$pid" 2>/dev/null; do
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
  [ -n "$rss" ] && echo "$((($(date +%s%N) - start) / 1000000)),$rss" >>"$samples"
  # Left clicks only (feed mode), well inside the window.
  xdotool mousemove $((100 + RANDOM % 1080)) $((100 + RANDOM % 520)) click 1 >/dev/null 2>&1 &&
    clicks=$((clicks + 1))
  sleep 1
done
status=0
wait "$pid" || status=$?
end=$((($(date +%s%N) - start) / 1000000))

awk -F, -v frames="$frames" -v total="$end" -v clicks="$clicks" -v status="$status" '
  NR == 1 { next }
  { t[n] = $1; r[n] = $2; n++ }
  END {
    from = total * 1000 / frames  # the time of frame 1000
    first = -1
    for (i = 0; i < n; i++) if (t[i] >= from) { first = i; break }
    if (first < 0) { print "run too short to reach frame 1000"; exit 1 }
    last = n - 1
    # Least-squares slope over the samples after frame 1000.
    sx = sy = sxx = sxy = 0; m = 0
    for (i = first; i <= last; i++) { f = t[i] / total * frames; sx += f; sy += r[i]; sxx += f * f; sxy += f * r[i]; m++ }
    slope = m > 1 ? (m * sxy - sx * sy) / (m * sxx - sx * sx) : 0
    min = max = r[first]
    for (i = first; i <= last; i++) { if (r[i] < min) min = r[i]; if (r[i] > max) max = r[i] }
    printf "frames %d in %.0f s (%.1f fps), %d clicks, exit status %d\n", frames, total / 1000, frames * 1000 / total, clicks, status
    printf "RSS at frame ~1000: %d KB; at the end: %d KB; growth %+d KB\n", r[first], r[last], r[last] - r[first]
    printf "after frame 1000: min %d KB, max %d KB, trend %+.1f KB per 10000 frames\n", min, max, slope * 10000
  }' "$samples" | tee "$out/summary.txt"
tail -1 "$out/stdout.txt"

reports=$(grep -cE "ERROR: (Address|Leak)Sanitizer|runtime error:" "$out/stderr.txt" || true)
echo "sanitizer reports: $reports (stderr in $out/stderr.txt)" | tee -a "$out/summary.txt"
echo "samples in $samples"
exit "$status"
