#!/bin/sh
# Reads the link the Windows test wrote with an independent parser (lnkinfo, from liblnk) and
# checks its three properties, and that nothing else was set.
#   check_link.sh LINK_FILE
set -u
link=$1
info=$(lnkinfo "$link") || { echo "lnkinfo could not read $link"; exit 1; }
failed=0
expect() { # field, value
    got=$(printf '%s\n' "$info" | sed -n "s/^[[:space:]]*$1[[:space:]]*: //p" | head -n 1)
    if [ "$got" = "$2" ]; then
        echo "ok: $1 is '$got'"
    else
        echo "FAILED: $1 is '$got', expected '$2'"
        failed=1
    fi
}
absent() { # line that must not appear
    if printf '%s\n' "$info" | grep -q "$1"; then
        echo "FAILED: the link has '$1'"
        failed=1
    else
        echo "ok: no '$1'"
    fi
}
expect "Local path" 'C:\Games\Morva\MorvaLauncher.exe'
expect "Working directory" 'C:\Games\Morva\'
expect "Description" "The Realm of Morva"
expect "Hot Key value" "0"
absent "Contains a command line arguments string"
absent "Contains an icon location string"
exit $failed
