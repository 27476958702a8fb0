#!/usr/bin/env bash
# Start-up to the first shown Folder screen: starts build/lumivo on a fresh Xvfb
# display six times with an empty profile and times until its window is mapped;
# prints the median of the last five.
#
#   bench/startup.sh
set -euo pipefail
cd "$(dirname "$0")/.."
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
export DISPLAY=$display QT_QPA_PLATFORM=xcb
profile=$(mktemp -d)
for run in 1 2 3 4 5 6; do
  rm -rf "$profile"/*
  start=$(date +%s%N)
  XDG_CONFIG_HOME=$profile TMPDIR=$profile build/lumivo >/dev/null 2>&1 &
  pid=$!
  # Poll rather than --sync, whose half-second sleeps would hide the figure.
  until xdotool search --onlyvisible --name '^Lumivo$' >/dev/null 2>&1; do :; done
  end=$(date +%s%N)
  kill "$pid"
  wait "$pid" || true
  # The first run only warms the caches.
  [ "$run" -gt 1 ] && echo "$(( (end - start) / 1000000 ))"
done | sort -n | sed -n 3p | sed 's/^/median ms: /'
rm -rf "$profile"
