#!/bin/sh
# Lays out a demo package folder: the launcher, stand-ins for the game and its setup program
# (they show what they were started with), the three documents and empty data files.
#   demo-package.sh BUILD_DIR PACKAGE_DIR
set -eu
build=$1
package=$2
rm -rf "$package"
mkdir -p "$package"
cp "$build/bin/MorvaLauncher.exe" "$package/"
cp "$build/bin/standin.exe" "$package/duke3d.exe"
cp "$build/bin/standin.exe" "$package/setup.exe"
printf 'The Realm of Morva\r\n\r\nA demo readme: the real package has its own.\r\n' >"$package/Morva.txt"
printf 'The Realm of Morva: credits\r\n\r\nMaps, art and story by Morva Studio.\r\n' >"$package/Morvcrd.txt"
printf 'The Realm of Morva: an interview\r\n\r\nQ: Why Morva?\r\nA: Why not.\r\n' >"$package/Morvint.txt"
for data in morva.con morva.grp morva.dmo morva.amo; do
    : >"$package/$data"
done
