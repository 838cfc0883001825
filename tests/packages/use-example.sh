#!/usr/bin/env bash
# Under a display: the example viewer on a scene; Esc to pick mode, a
# click on the middle of the object above the centre, s to save.
set -euo pipefail
env -u LD_LIBRARY_PATH "$1" "$2" > /dev/null 2>&1 &
pid=$!
for _ in $(seq 50); do
  win="$(xdotool search --name "Annotated viewer" 2>/dev/null | head -1 || true)"
  [ -n "$win" ] && break
  sleep 0.2
done
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2 - 40))
xdotool key Escape
sleep 0.5
xdotool click 1
sleep 0.5
xdotool key s
for _ in $(seq 50); do
  [ -s annotated-out.iv ] && { sleep 0.5; break; }
  sleep 0.2
done
kill "$pid"
wait "$pid" 2>/dev/null || true
