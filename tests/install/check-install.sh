#!/usr/bin/env bash
# Installs the built library into a scratch prefix, runs an installed
# program from there as a user would (no LD_LIBRARY_PATH), then builds and
# runs a program against it through find_package and through pkg-config.
set -euo pipefail
source="$1"
prefix="$(mktemp -d)"; work="$(mktemp -d)"
trap 'rm -rf "$prefix" "$work"' EXIT
# Configured for one prefix and installed into another: the library finds
# its resource file and programs beside itself.
cmake -S "$source" -B "$work/lib" -DCMAKE_INSTALL_PREFIX="$work/configured" \
  -DGLOSSPIN_BUILD_TESTS=OFF -DGLOSSPIN_BUILD_BENCHMARKS=OFF > /dev/null
cmake --build "$work/lib" -j "$(nproc)" > /dev/null
cmake --install "$work/lib" --prefix "$prefix" > /dev/null
test -f "$prefix/share/X11/app-defaults/Glosspin"
test -x "$prefix/lib/Glosspin/www_script"
# The scene notes' viewer loads the library from its own place.
usage="$(unset LD_LIBRARY_PATH; "$prefix/lib/Glosspin/3dNoteViewer" 2>&1 || true)"
[[ "$usage" == usage:* ]]
usage="$(unset LD_LIBRARY_PATH; DISPLAY= "$prefix/bin/glosspin" --no-such-option 2>&1 || true)"
[[ "$usage" == usage:\ glosspin* ]]
test -x "$prefix/bin/glosspin-monitord"
# The desktop knows scene files by name and by content, and opens them
# with the application.
desktop-file-validate "$prefix/share/applications/glosspin.desktop"
test -f "$prefix/share/icons/hicolor/scalable/apps/glosspin.svg"
update-mime-database "$prefix/share/mime"
grep -q "^50:model/x-openinventor:\*.iv$" "$prefix/share/mime/globs2"
grep -qa "#Inventor V2.1 binary" "$prefix/share/mime/magic"
update-desktop-database "$prefix/share/applications"
[ "$(XDG_DATA_HOME="$prefix/share" XDG_DATA_DIRS="$prefix/share" \
     xdg-mime query default model/x-openinventor 2>/dev/null)" = glosspin.desktop ]
# Every manual page renders without a warning.
pages=("$prefix"/share/man/man1/*.1.gz "$prefix"/share/man/man8/*.8.gz)
[ "${#pages[@]}" -eq 8 ]
for page in "${pages[@]}"; do
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
done
# A service file names the prefix it was configured for.
grep -q "ExecStart=$work/configured/bin/glosspin-monitord" \
  "$prefix/share/glosspin/systemd/glosspin-monitord.service"
(unset LD_LIBRARY_PATH; cd "$prefix/share/glosspin/samples" &&
  DISPLAY= "$prefix/bin/glosspin-scene" info annotated.iv > /dev/null)
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
cmake -S "$source/tests/install/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" > /dev/null
cmake --build "$work/consumer" > /dev/null
unset XFILESEARCHPATH
for exe in consumer_cmake consumer_pkgconfig; do
  LD_LIBRARY_PATH="$prefix/lib" DISPLAY= "$work/consumer/$exe"
done
