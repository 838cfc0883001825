#!/bin/sh
# A stand-in web browser. Each call appends its arguments to
# $GSP_BROWSER_LOG, one per line, then a line "." . The first one stays
# running, as a browser does, with its process id in $GSP_BROWSER_LOG.pid;
# a call while it runs hands the page over and exits, as a browser's
# remote call does.
for a in "$@"; do
    printf '%s\n' "$a" >> "$GSP_BROWSER_LOG"
done
echo . >> "$GSP_BROWSER_LOG"
if [ -f "$GSP_BROWSER_LOG.pid" ] && kill -0 "$(cat "$GSP_BROWSER_LOG.pid")" 2> /dev/null; then
    exit 0
fi
echo $$ > "$GSP_BROWSER_LOG.pid"
exec sleep 30
