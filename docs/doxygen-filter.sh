#!/bin/sh
# Doxygen's view of a public header: the parts of a class the reference
# leaves out (protected and private members, and the sections for
# extenders and for the toolkit itself, and the specializations of such a
# member) become blank lines, so that line numbers stay as they are.
exec awk '
  /^[ \t]*(protected|private|SoEXTENDER public|SoINTERNAL public)[ \t]*:/ { hide = 1; print ""; next }
  /^[ \t]*public[ \t]*:/ { hide = 0 }
  /^};/ { hide = 0 }
  /^template <> .*::readValue\(/ { print ""; next }
  { print hide ? "" : $0 }
' "$1"
