#!/usr/bin/env bash
# Kills Lumivo with SIGKILL at random moments while the reader saves positions, and
# checks after every kill that the settings file is whole and still holds every position
# that had reached it before the kill.
#   tools/kill-while-saving.sh [KILLS]     (default 100; needs build/lumivo, Xvfb, xdotool)
set -euo pipefail
cd "$(dirname "$0")/.."
kills="${1:-100}"
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
display=:$((150 + RANDOM % 50))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display XDG_CONFIG_HOME="$work/config" TMPDIR="$work"
sleep 1
mkdir -p "$work/books"
QT_QPA_PLATFORM=offscreen build/lumivo_corpus generate "$work/corpus" >/dev/null
cp "$(find "$work/corpus" -name 'hundred-thousand.pdf')" "$work/books/book.pdf"
rm -rf "$work/corpus"
conf="$work/config/Oberkan/Lumivo.conf"

positions() { { grep -o '^Resume[0-9]*=2|[0-9]*|' "$conf" 2>/dev/null || true; } | sed 's/^Resume[0-9]*=//' | sort -u; }

lost=0; broken=0; saved_total=0
for ((k = 1; k <= kills; k++)); do
    # Every 20 kills a fresh profile, so that the list never reaches its limit of 100.
    if (( k % 20 == 1 )); then rm -rf "$work/config"; fi
    build/lumivo "$work/books/book.pdf" >/dev/null 2>&1 &
    pid=$!
    deadline=$((SECONDS + 10))
    window=
    until window=$(xdotool search --onlyvisible --name '^book.pdf - Lumivo$' 2>/dev/null); do
        (( SECONDS < deadline )) || break
        sleep 0.05
    done
    [ -n "$window" ] && xdotool windowfocus --sync "$window" >/dev/null 2>&1 || true
    seen=$(positions)
    # Read on and save, again and again, until the kill comes at a random moment.
    (
        for ((i = 0; i < 40; i++)); do
            xdotool key --delay 20 Next ctrl+s Return >/dev/null 2>&1 || true
        done
    ) &
    keys=$!
    end=$((SECONDS + 1 + RANDOM % 3))
    while (( SECONDS < end )); do
        seen=$(printf '%s\n%s\n' "$seen" "$(positions)" | sort -u)
        sleep 0.0$((RANDOM % 9 + 1))
    done
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null || true
    kill "$keys" 2>/dev/null || true
    wait "$keys" 2>/dev/null || true
    lines=$(grep -c '^Resume[0-9]*=' "$conf" || true)
    if ! head -1 "$conf" | grep -q '^\[Settings\]' || (( lines != 100 )); then
        broken=$((broken + 1))
        echo "kill $k: the settings file is not whole"
    fi
    after=$(positions)
    missing=$(comm -23 <(printf '%s\n' "$seen" | sed '/^$/d') <(printf '%s\n' "$after" | sed '/^$/d') | wc -l)
    lost=$((lost + missing))
    saved_total=$((saved_total + $(printf '%s\n' "$after" | sed '/^$/d' | wc -l)))
    (( missing == 0 )) || echo "kill $k: $missing saved positions lost"
done
echo "$kills kills: $broken settings files not whole, $lost saved positions lost ($saved_total positions checked)"
(( broken == 0 && lost == 0 ))
