#!/bin/sh
# A stand-in media program: appends its name and arguments, one per
# line, and a line "." to $GSP_ARGS_LOG.
{
    printf '%s\n' "${0##*/}"
    for a in "$@"; do printf '%s\n' "$a"; done
    echo .
} >> "$GSP_ARGS_LOG"
