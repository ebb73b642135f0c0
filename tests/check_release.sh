#!/bin/sh
# Checks the release. Two clean builds of the tracked sources as they are in the working tree,
# copied into different folders and built at different times under a different TZ and umask,
# give the same MorvaLauncher.exe and zip. A build signed with a throwaway certificate gives a zip
# whose exe verifies against it and, its signature removed, is the unsigned program; a wrong
# password or a missing file fails the build and names its variable. Only the program and the
# zip are built.
#   tests/check_release.sh
set -eu
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The builds must agree without it.
unset SOURCE_DATE_EPOCH
failed=0
ok() { echo "ok: $*"; }
fail() { echo "FAILED: $*"; failed=1; }

first=$work/one/MorvaLauncher second=$work/copy-two/src log=$work/build.log
# build SOURCE [CMAKE_OPTION...]: the windows preset's configuration in SOURCE/build/windows.
# Every build's output is kept too, to look for the password in.
build() {
    source=$1 status=0
    shift
    (cd "$source" && cmake --preset windows -B build/windows "$@" && cmake --build build/windows \
        -j2 --target MorvaLauncher package_zip) >"$log" 2>&1 || status=1
    cat "$log" >>"$work/outputs"
    return $status
}
# release SOURCE TZ UMASK: a fresh copy of the tracked files, built.
release() {
    (umask "$3" && export TZ="$2" && mkdir -p "$1" &&
        git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$1" && build "$1") ||
        { tail -n 30 "$log"; exit 1; }
}
release "$first" UTC 022
sleep 2
# 14 hours ahead of UTC, written so that no time zone data is needed.
release "$second" LST-14 077

# part_at EXE OFFSET: the part of a PE file that holds that byte.
part_at() {
    # PE format: the COFF header follows "PE\0\0" at e_lfanew (0x3c); its time stamp is at +8.
    header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    [ "$2" -lt $((header + 8)) ] || [ "$2" -ge $((header + 12)) ] || { echo "PE time stamp"; return; }
    x86_64-w64-mingw32-objdump -h "$1" | awk -v at="$2" '
        function hex(s, n, i) { for (i = 1; i <= length(s); i++)
                                    n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
                                return n }
        /^ *[0-9]+ \./ && hex($6) && at >= hex($6) && at < hex($6) + hex($3) {
            print "section " $2; found = 1 }
        END { if (!found) print "headers or padding" }'
}
zip=$(cd "$first/build/windows" && ls MorvaLauncher-*-win64.zip)
for name in MorvaLauncher.exe "$zip"; do
    a=$first/build/windows/$name b=$second/build/windows/$name
    if cmp -s "$a" "$b"; then
        ok "$name is the same in both builds: $(sha256sum <"$a" | cut -d ' ' -f 1)"
        continue
    fi
    # cmp -l: one line per differing byte, "offset counted from 1, octal byte, octal byte".
    at=$(cmp -l "$a" "$b" 2>/dev/null | awk 'NR == 1 { print $1 }')
    where=${at:+ from byte $((at - 1))}
    [ "$name" != MorvaLauncher.exe ] || [ -z "$at" ] || where="$where, in $(part_at "$a" $((at - 1)))"
    fail "$name differs between the builds$where"
done
(cd "$first/build/windows" && sha256sum -c SHA256SUMS) || fail "SHA256SUMS does not check"

# A throwaway certificate for code signing, and a password no build output may show.
keys=$work/keys
mkdir -m 700 "$keys"
password=throwaway-$(od -An -N8 -tx8 /dev/urandom | tr -d ' ')
printf '%s\n' "$password" >"$keys/password"
printf 'not-%s\n' "$password" >"$keys/wrong"
openssl req -x509 -newkey rsa:2048 -noenc -keyout "$keys/key.pem" -out "$keys/cert.pem" -days 2 \
    -subj "/CN=Throwaway code signer" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -out "$keys/signer.p12" \
    -passout "file:$keys/password"

tree=$second/build/windows player=$work/player
if build "$second" -DMORVA_SIGNING_PKCS12="$keys/signer.p12" \
    -DMORVA_SIGNING_PASSWORD_FILE="$keys/password"; then
    # What a player does: the zip unpacked beside SHA256SUMS, both checked.
    mkdir "$player" && cp "$tree/$zip" "$tree/SHA256SUMS" "$player/"
    (cd "$player" && cmake -E tar xf "$zip" && sha256sum -c SHA256SUMS) ||
        fail "the signed zip and its exe do not check against SHA256SUMS"
    osslsigncode verify -CAfile "$keys/cert.pem" -in "$player/MorvaLauncher.exe" >"$log" 2>&1 &&
        ok "the signed exe verifies" || { cat "$log"; fail "the signed exe does not verify"; }
    osslsigncode remove-signature -in "$player/MorvaLauncher.exe" -out "$work/unsigned.exe" \
        >/dev/null || fail "osslsigncode could not remove the signature"
    cmp "$work/unsigned.exe" "$tree/bin/MorvaLauncher.exe" &&
        ok "without its signature the exe is the unsigned program" ||
        fail "without its signature the exe is not the unsigned program"
else
    tail -n 30 "$log"
    fail "the signed build failed"
fi
# expect_failure VARIABLE CMAKE_OPTION...: the build fails and says which variable is wrong.
expect_failure() {
    variable=$1
    shift
    if build "$second" "$@"; then
        fail "built with a wrong $variable"
    elif grep -q "$variable" "$log"; then
        ok "a wrong $variable fails the build: $(grep -m 1 "$variable" "$log" | sed 's/^ *//')"
    else
        tail -n 30 "$log"
        fail "a wrong $variable fails the build without naming it"
    fi
}
expect_failure MORVA_SIGNING_PASSWORD_FILE -DMORVA_SIGNING_PASSWORD_FILE="$keys/wrong"
expect_failure MORVA_SIGNING_PKCS12 -DMORVA_SIGNING_PKCS12="$keys/missing.p12" \
    -DMORVA_SIGNING_PASSWORD_FILE="$keys/password"
! grep -rqF "$password" "$tree" "$work/outputs" || fail "the password shows in the build tree or its output"

[ $failed -eq 0 ] && echo "release checks: all passed"
exit $failed
