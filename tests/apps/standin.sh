#!/bin/sh
# Stands in for every program the notes start (players, recorders, the
# browser script, the scene viewer) in the random use of the application:
# runs for a random while, then ends well, badly or, as a recorder, given
# up.
r=$(od -An -N1 -tu1 /dev/urandom | tr -d ' ')
sleep $((r % 3))
case "$(basename "$0")" in
mediagrab) [ $((r / 3 % 2)) = 0 ] && exit 3 ;;
esac
[ $((r / 6 % 4)) = 0 ] && exit 1
exit 0
