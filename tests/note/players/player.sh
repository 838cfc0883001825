#!/bin/sh
# A stand-in player or editor for the note tests.
#   player.sh exit N            ends with status N
#   player.sh sleep             runs until stopped
#   player.sh ignore-term       runs and ignores SIGTERM
#   player.sh group FILE        starts a child, writes its pid to FILE, waits
#   player.sh record FILE       writes its environment and resource file to FILE
#   player.sh append FILE       appends a line to FILE, then runs until stopped
mode=$1
case "$mode" in
exit) exit "$2" ;;
sleep) exec sleep 60 ;;
ignore-term) trap '' TERM; while :; do sleep 1; done ;;
group) sleep 60 & echo $! > "$2.tmp" && mv "$2.tmp" "$2"; wait ;;
record)
    {
        echo "GLRES=$GLRES"
        echo "XENVIRONMENT=$XENVIRONMENT"
        if [ -n "$XENVIRONMENT" ]; then cat "$XENVIRONMENT"; fi
    } > "$2.tmp" && mv "$2.tmp" "$2" ;;
append) echo started >> "$2"; exec sleep 60 ;;
*) exit 99 ;;
esac
