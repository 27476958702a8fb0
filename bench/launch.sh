#!/usr/bin/env bash
# Launch to the first page on the screen, full screen at 1920 x 1080 on a fresh Xvfb
# display: Lumivo against zathura on a text PDF and against qimgv on an image book of
# 2000 x 3000 JPEG scans, runs interleaved. A page counts as shown once the middle of
# the screen is no longer uniform, and as settled once the middle first looks as it
# stays (blank paper, "Loading..." or a blurred first copy do not count). Peers that
# are not installed are left out; so is the window manager the peers need to go full
# screen (openbox), and then their windows keep their own size. This script installs
# nothing.
#
#   bench/launch.sh [RUNS] [PDF]
#
# Needs a build (./run.sh or cmake --build build); LUMIVO=PATH times another build of
# the program instead. The PDF defaults to the Valgrind
# manual (1.4 MB, from the valgrind package's documentation); the image book is written
# by bench_images into /tmp/benchimages.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
work=${TMPDIR:-/tmp}/lumivo-launch
mkdir -p "$work"
pdf=${2:-}
if [ -z "$pdf" ]; then
  pdf=$work/valgrind_manual.pdf
  [ -f "$pdf" ] || zcat /usr/share/doc/valgrind/valgrind_manual.pdf.gz >"$pdf"
fi
build/bench/bench_images /tmp/benchimages --books-only >/dev/null
book=/tmp/benchimages/scans/001.jpg

display=:$((150 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp -br >/dev/null 2>&1 &
xvfb=$!
profile=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$profile"' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
if command -v openbox >/dev/null 2>&1; then
  openbox >/dev/null 2>&1 &
  sleep 1
else
  echo "openbox is not installed: the peers' windows are not full screen"
fi

lumivo() {
  rm -rf "${profile:?}"/*
  mkdir -p "$profile/config/Oberkan" "$profile/tmp"
  printf '[Settings]\nFullScreen=1\n' >"$profile/config/Oberkan/Lumivo.conf"
  XDG_CONFIG_HOME=$profile/config TMPDIR=$profile/tmp QT_QPA_PLATFORM=xcb \
    build/bench/bench_first_paint -- "${LUMIVO:-build/lumivo}" "$1"
}
zathura_run() {
  rm -rf "${profile:?}"/*
  XDG_CONFIG_HOME=$profile XDG_DATA_HOME=$profile XDG_CACHE_HOME=$profile \
    build/bench/bench_first_paint -- zathura --mode=fullscreen "$1"
}
qimgv_run() {
  rm -rf "${profile:?}"/*
  mkdir -p "$profile/qimgv"
  # Full screen from the start, as Lumivo is.
  printf '[General]\nfirstRun=false\nlastVerMajor=1\nlastVerMinor=0\nlastVerMicro=2\nopenInFullscreen=true\n' >"$profile/qimgv/qimgv.conf"
  XDG_CONFIG_HOME=$profile build/bench/bench_first_paint -- qimgv "$1"
}
have() { command -v "$1" >/dev/null 2>&1; }

declare -A times
measure() { # name command file
  local t
  t=$("$2" "$3" 2>/dev/null) || t=timeout
  times[$1]+="${t/ //} "
  # The screen must be uniform again before the next start.
  sleep 0.5
}

for _ in $(seq "$runs"); do
  measure "lumivo pdf" lumivo "$pdf"
  have zathura && measure "zathura pdf" zathura_run "$pdf"
  measure "lumivo images" lumivo "$book"
  have qimgv && measure "qimgv images" qimgv_run "$book"
done

stats() { # values... -> min median max
  printf '%s\n' "$@" | sort -n | awk '
    { v[NR] = $1 } END { if (NR == 0) { print "- - -"; exit }
      m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "%.0f %.0f %.0f\n", v[1], m, v[NR] }'
}
column() { # field name -> the field of each run of name that did not time out
  # shellcheck disable=SC2086
  printf '%s\n' ${times[$2]} | awk -F/ -v f="$1" '$1 != "timeout" { print $f }'
}

for field in 1 2; do
  [ "$field" = 1 ] && echo "shown: the middle of the screen no longer uniform" \
    || echo "settled: the middle as it stays"
  printf '  %-14s %6s %6s %6s  %s\n' what min median max "(ms, $runs runs)"
  for name in "lumivo pdf" "zathura pdf" "lumivo images" "qimgv images"; do
    [ -n "${times[$name]:-}" ] || continue
    # shellcheck disable=SC2046
    read -r lo mid hi <<<"$(stats $(column $field "$name"))"
    timeouts=$(printf '%s\n' ${times[$name]} | grep -c timeout || true)
    extra=""
    [ "$timeouts" -gt 0 ] && extra="($timeouts timed out)"
    printf '  %-14s %6s %6s %6s  %s\n' "$name" "$lo" "$mid" "$hi" "$extra"
  done
  for pair in "pdf:zathura" "images:qimgv"; do
    kind=${pair%%:*}
    peer=${pair#*:}
    if [ -z "${times[$peer $kind]:-}" ]; then
      echo "  $peer is not installed: no ratio for the $kind"
      continue
    fi
    # shellcheck disable=SC2046
    ours=$(stats $(column $field "lumivo $kind") | awk '{ print $2 }')
    # shellcheck disable=SC2046
    theirs=$(stats $(column $field "$peer $kind") | awk '{ print $2 }')
    awk -v a="$ours" -v b="$theirs" -v k="$kind" -v p="$peer" \
      'BEGIN { printf "  %s: lumivo / %s = %.2f\n", k, p, a / b }'
  done
done
