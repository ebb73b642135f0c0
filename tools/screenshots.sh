#!/bin/sh
# Photographs the real launcher and its About dialog under Wine at 96 and 144 pixels per inch,
# for the README: docs/screenshot.png, docs/about.png, docs/screenshot-144dpi.png and
# docs/about-144dpi.png.
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
for dpi in 96 144; do
    suffix=""
    [ "$dpi" = 96 ] || suffix="-${dpi}dpi"
    shots=$build/shot-$dpi
    xvfb-run -a -s "-screen 0 800x600x24" sh -c "'$docs/../cmake/wine-run.sh' '$build/screenshot-wine-$dpi' --dpi $dpi '$build/bin/screenshot.exe' MorvaLauncher.exe '$shots' && WINEPREFIX='$build/screenshot-wine-$dpi/prefix' wineserver -w"
    convert "$shots-main.bmp" "$docs/screenshot$suffix.png"
    convert "$shots-about.bmp" "$docs/about$suffix.png"
    rm -f "$shots-main.bmp" "$shots-about.bmp"
done
ls -l "$docs"/*.png
