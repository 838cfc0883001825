#!/usr/bin/env bash
# The Debian packages as a user gets them: built, installed on this
# machine with apt (as root), every installed program's --help, the sample
# listed by the installed scene tool, every manual page rendered without
# a warning, the API reference, and the first example built against the
# installed files both ways (find_package, pkg-config) and used: a click
# places a marker and the saved scene holds it. The packages are removed
# again at the end.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
cleanup() {
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q \
    glosspin glosspin-monitord libglosspin-dev libglosspin0 > /dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

"$root/scripts/package" "$work/debs"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$work"/debs/*.deb > "$work/apt.log"

for program in glosspin glosspin-scene glosspin-monitord /usr/lib/Glosspin/3dNoteViewer \
               /usr/lib/Glosspin/mediagrab /usr/lib/Glosspin/clipviewer \
               /usr/lib/Glosspin/soundplay /usr/lib/Glosspin/picshow; do
  name="$(basename "$program")"
  (cd / && env -u LD_LIBRARY_PATH DISPLAY= "$program" --help) | grep -q "^usage: $name "
done
(cd /tmp && env -u LD_LIBRARY_PATH DISPLAY= glosspin-scene info \
   /usr/share/glosspin/samples/annotated.iv) | grep -q "9 notes"

for page in glosspin glosspin-scene 3dNoteViewer mediagrab clipviewer soundplay picshow \
            glosspin-monitord; do
  file="$(man -w "$page")"
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
done
test -f /usr/share/applications/glosspin.desktop
test -f /usr/share/doc/libglosspin-dev/html/classZnNote.html

# The example, against the installed files only.
cmake -S "$root/examples/annotated-viewer" -B "$work/example" > /dev/null
cmake --build "$work/example" > /dev/null
g++ -o "$work/example-pc" "$root/examples/annotated-viewer/annotated-viewer.cpp" \
  $(pkg-config --cflags --libs glosspin)
cd "$work"
printf '#Inventor V2.1 ascii\n\nSeparator { PerspectiveCamera { position 0 0 6 } Cube {} }\n' > cube.iv
for viewer in "$work/example/annotated-viewer" "$work/example-pc"; do
  rm -f annotated-out.iv
  xvfb-run -a -s "-screen 0 1024x768x24" bash "$root/tests/packages/use-example.sh" "$viewer" cube.iv
  grep -q ZnArrowMarker annotated-out.iv
  grep -q ZnTextNote annotated-out.iv
done
echo "check-packages: the packages install and work"
