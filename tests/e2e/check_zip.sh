#!/bin/sh
# Checks the package maintainer's zip: exactly the program and the player's notes, the notes in
# Windows line endings and naming the version, and that version in the program's VERSIONINFO.
#   check_zip.sh ZIP VERSION
set -eu
zip=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
entries=$(cd "$work" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ')
[ "$entries" = "MorvaLauncher.exe README.txt " ] || { echo "zip holds: $entries"; exit 1; }
head -n 1 "$work/README.txt" | grep -q "version $version" ||
    { echo "README.txt does not name version $version"; exit 1; }
# Every line ends in CR LF, for the oldest viewers.
cr=$(printf '\r')
if [ "$(grep -c "$cr\$" "$work/README.txt")" != "$(wc -l <"$work/README.txt")" ]; then
    echo "README.txt lines do not all end in CR LF"
    exit 1
fi
# VERSIONINFO strings are UTF-16LE.
wide=$(printf '%s' "$version" |
    awk '{ for (i = 1; i <= length($0); i++) { c = substr($0, i, 1)
           printf "%s\\x00", c == "." ? "\\." : c } }')
if ! LC_ALL=C grep -qaP "$wide" "$work/MorvaLauncher.exe"; then
    echo "MorvaLauncher.exe has no version string $version"
    exit 1
fi
echo "zip holds $entries; version $version in the notes and the program"
