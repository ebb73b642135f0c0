#!/bin/sh
# Builds the launcher and starts it under Wine in a demo package folder, whose stand-in game
# and setup programs show in a message box what they were started with. Without a display it
# runs on a private Xvfb display instead, photographs the launcher and prints where.
set -eu
cd "$(dirname "$0")/.."
# One Wine for every picture and figure: the system's (wine-run.sh).
export MORVA_WINE=system
tools/install-packages.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target MorvaLauncher standin screenshot
build=$(pwd)/build/windows
package=$build/demo-package
tools/demo-package.sh "$build" "$package"
# The demo has a Wine prefix of its own, with Wine's own viewer for the documents.
wine_run="$(pwd)/cmake/wine-run.sh $build/demo-wine"
export MORVA_STANDIN_SHOW=1
cd "$package"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "Starting the launcher in $package"
    exec $wine_run MorvaLauncher.exe
fi

echo "No display: running the launcher on a private Xvfb display"
shots=$build/demo-screenshot
xvfb-run -a -s "-screen 0 800x600x24" sh -c "$wine_run '$build/bin/screenshot.exe' MorvaLauncher.exe '$shots' && WINEPREFIX='$build/demo-wine/prefix' wineserver -w"
convert "$shots-main.bmp" "$shots.png"
convert "$shots-about.bmp" "$shots-about.png"
rm -f "$shots-main.bmp" "$shots-about.bmp"
echo "Screenshots: $shots.png and $shots-about.png"
