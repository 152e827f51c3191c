#!/usr/bin/env bash
# Builds every fuzz target with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in its own build folder, then runs each in turn
# for the given number of seconds (default 600). Inputs that break a target
# are saved in fuzz/regressions/<name>/, which the ordinary test run replays.
# Usage: scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-600}"
shift || true
build="${FUZZ_BUILD_DIR:-$here/build-fuzz}"

missing=()
command -v clang++-14 >/dev/null 2>&1 || missing+=(clang-14)
compgen -G "/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null ||
  missing+=(libclang-rt-14-dev)
if [ "${#missing[@]}" -gt 0 ]; then
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
  fi
  "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The asset generator runs during the build; its leaks are not what we test.
export ASAN_OPTIONS="detect_leaks=0"
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
generator=()
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja >/dev/null 2>&1; then
  generator=(-G Ninja)
fi
cmake -S "$here" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link" \
  "${launcher[@]}" -DTIDEMERE_SANITIZE=ON -DTIDEMERE_FUZZ=ON -DTIDEMERE_TESTS=OFF -DTIDEMERE_BENCH=OFF >/dev/null

targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  for src in "$here"/fuzz/*_fuzz.cpp; do
    name="$(basename "$src" _fuzz.cpp)"
    targets+=("$name")
  done
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

status=0
for name in "${targets[@]}"; do
  corpus="$build/corpus/$name"
  regressions="$here/fuzz/regressions/$name"
  mkdir -p "$corpus" "$regressions"
  before="$(ls "$regressions" | wc -l)"
  echo "== $name: ${seconds}s"
  # One worker in fork mode keeps going after a fault, so a run reports every
  # distinct fault it meets; the working corpus grows in the build folder from
  # the committed seeds, and each failing input lands in the regression folder.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
  rss=2048
  if [ "$name" = user_image ]; then
    # A picture may hold four times its largest texture (2048 x 2048 RGBA,
    # 16 MB) plus 64 MB while it decodes. On top: the process itself (51 MB
    # measured before the first input: libFuzzer, the sanitizers, Qt), ASan's
    # shadow of what the picture touches (an eighth) and a 16 MB quarantine,
    # small so that freed pictures do not count. Going past it is a finding.
    rss=$((4 * 16 + 64 + 96))
    export ASAN_OPTIONS="$ASAN_OPTIONS:quarantine_size_mb=16"
  fi
  nice -n 10 "$build/fuzz/fuzz_$name" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" -max_len=65536 -timeout=25 -rss_limit_mb="$rss" \
    -artifact_prefix="$regressions/" "$corpus" "$here/fuzz/corpus/$name" \
    >"$build/fuzz-$name.log" 2>&1 || true
  # The last progress line: total executions, coverage and faults met.
  grep -E '^#[0-9]+' "$build/fuzz-$name.log" | tail -n 1 || true
  found=$(($(ls "$regressions" | wc -l) - before))
  if [ "$found" -gt 0 ]; then
    echo "   $name: $found new failing input(s) in $regressions (log: $build/fuzz-$name.log)"
    status=1
  fi
done
exit "$status"
