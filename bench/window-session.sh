#!/usr/bin/env bash
# The IDE in its window on a virtual display with a person typing 15 keys a second for 10
# seconds: prints the host's own figures, its processor time and key release to mix.
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${BRISK_IDE:-build/bin/brisk-ide}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

work=$(mktemp -d)
# Xvfb picks a display nobody uses and writes its number once it listens.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display.txt" >"$work/xvfb.txt" 2>&1 &
xvfb=$!
host=
trap 'kill $host $xvfb 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
# Waits for a condition a bounded time.
until_true() {
  for _ in $(seq 300); do eval "$1" && return 0; sleep 0.05; done
  echo "window-session: gave up waiting for: $1" >&2
  exit 1
}
until_true "grep -q . '$work/display.txt'"
display=$(cat "$work/display.txt")
export DISPLAY=:$display

"$exe" --window --no-audio-out >"$work/host.txt" 2>&1 &
host=$!
until_true "grep -q 'in a window' '$work/host.txt'"
timeout 30 xdotool search --sync --name "Brisk IDE" windowfocus --sync
# 150 keys, none of them Shift: every one is a sound. xdotool waits half the delay after
# each press and each release, and takes a few milliseconds of its own per key.
line="the quick brown fox jumps over the lazy dog "
text="$line$line$line$line"
text=${text:0:150}
start=$(date +%s.%N)
xdotool type --delay 126 "$text"
end=$(date +%s.%N)
kill -TERM $host
wait $host || true
host=
echo "typed ${#text} keys in $(awk "BEGIN { printf \"%.1f\", $end - $start }") s"
grep -E "key releases in the window|CPU while|sounds played|audio device|key release to" "$work/host.txt"
