#!/bin/sh
# Photographs the real launcher and its About dialog under Wine at 96, 144 and 192 pixels per
# inch, for the README: docs/screenshot.png and docs/about.png, and the same with -144dpi and
# -192dpi. Densities given as arguments are photographed instead (288: docs/*-288dpi.png).
set -eu
cd "$(dirname "$0")/.."
# One Wine for every picture and figure: the system's (wine-run.sh).
export MORVA_WINE=system
cmake --preset windows >/dev/null
cmake --build --preset windows --target MorvaLauncher standin screenshot >/dev/null
build=$(pwd)/build/windows
docs=$(pwd)/docs
package=$build/screenshot-package
tools/demo-package.sh "$build" "$package"
mkdir -p "$docs"
cd "$package"
[ $# -gt 0 ] || set -- 96 144 192
for dpi in "$@"; do
    suffix=""
    [ "$dpi" = 96 ] || suffix="-${dpi}dpi"
    shots=$build/shot-$dpi
    # The X screen holds the prefix's desktop, which grows past 144 (wine-run.sh).
    xvfb-run -a -s "-screen 0 1024x768x24" sh -c "'$docs/../cmake/wine-run.sh' '$build/screenshot-wine-$dpi' --dpi $dpi '$build/bin/screenshot.exe' MorvaLauncher.exe '$shots' && WINEPREFIX='$build/screenshot-wine-$dpi/prefix' wineserver -w"
    convert "$shots-main.bmp" "$docs/screenshot$suffix.png"
    convert "$shots-about.bmp" "$docs/about$suffix.png"
    rm -f "$shots-main.bmp" "$shots-about.bmp"
done
ls -l "$docs"/*.png
