#!/bin/sh
# Checks the release: two clean builds of copies of the tracked files, in different folders, at
# different times, under a different TZ and umask, give the same exe and zip; a build signed with
# a throwaway certificate verifies and unsigns to the program; wrong signing settings fail the
# build naming their variable. Builds only the program and the zip.
set -eu
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset SOURCE_DATE_EPOCH # the builds must agree without it
failed=0
ok() { echo "ok: $*"; }
fail() { echo "FAILED: $*"; failed=1; }

first=$work/one/MorvaLauncher second=$work/copy-two/src log=$work/build.log
# build SOURCE [CMAKE_OPTION...]: the windows preset's configuration, in SOURCE/build/windows;
# every build's output is kept, to look for the password in.
build() {
    source=$1 status=0
    shift
    (cd "$source" && cmake --preset windows -B build/windows "$@" && cmake --build build/windows \
        -j2 --target MorvaLauncher package_zip) >"$log" 2>&1 || status=1
    cat "$log" >>"$work/outputs"
    return $status
}
# release SOURCE TZ UMASK: a fresh copy of the tracked files as they are now, built.
release() {
    (umask "$3" && export TZ="$2" && mkdir -p "$1" &&
        git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$1" && build "$1") ||
        { tail -n 30 "$log"; exit 1; }
}
release "$first" UTC 022
sleep 2
release "$second" LST-14 077 # 14 hours ahead of UTC, needing no time zone data

zip=$(cd "$first/build/windows" && ls MorvaLauncher-*-win64.zip)
for name in MorvaLauncher.exe "$zip"; do
    a=$first/build/windows/$name b=$second/build/windows/$name
    if cmp -s "$a" "$b"; then
        ok "$name is the same in both builds: $(sha256sum <"$a" | cut -d ' ' -f 1)"
        continue
    fi
    # The first differing byte (cmp -l counts from 1) and, in the exe, the section holding it.
    at=$(($(cmp -l "$a" "$b" 2>/dev/null | awk 'NR == 1 { print $1 }') - 1))
    part=$(x86_64-w64-mingw32-objdump -h "$a" 2>/dev/null |
        while read -r _ section size _ _ from _; do
            case $section in .*) [ $((0x$from)) -eq 0 ] || [ $at -lt $((0x$from)) ] ||
                [ $at -ge $((0x$from + 0x$size)) ] || echo ", in $section" ;; esac
        done)
    [ -n "$part" ] || [ "$name" != MorvaLauncher.exe ] || part=", in the PE headers"
    fail "$name differs between the builds from byte $at$part"
done
(cd "$first/build/windows" && sha256sum -c SHA256SUMS) || fail "SHA256SUMS does not check"

# A throwaway code-signing certificate, and a password no build output may show.
keys=$work/keys tree=$second/build/windows player=$work/player
mkdir -m 700 "$keys" "$player"
password=throwaway-$(od -An -N8 -tx8 /dev/urandom | tr -d ' ')
printf '%s\n' "$password" >"$keys/password"
printf 'not-%s\n' "$password" >"$keys/wrong"
openssl req -x509 -newkey rsa:2048 -noenc -keyout "$keys/key.pem" -out "$keys/cert.pem" -days 2 \
    -subj "/CN=Throwaway code signer" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -out "$keys/signer.p12" \
    -passout "file:$keys/password"

build "$second" -DMORVA_SIGNING_PKCS12="$keys/signer.p12" \
    -DMORVA_SIGNING_PASSWORD_FILE="$keys/password" || { tail -n 30 "$log"; fail "signed build"; }
# What a player does: the zip unpacked beside SHA256SUMS, both checked.
cp "$tree/$zip" "$tree/SHA256SUMS" "$player/"
(cd "$player" && cmake -E tar xf "$zip" && sha256sum -c SHA256SUMS) || fail "signed SHA256SUMS"
osslsigncode verify -CAfile "$keys/cert.pem" -in "$player/MorvaLauncher.exe" >"$log" 2>&1 &&
    ok "the signed exe verifies" || { cat "$log"; fail "the signed exe does not verify"; }
osslsigncode remove-signature -in "$player/MorvaLauncher.exe" -out "$work/unsigned.exe" \
    >/dev/null && cmp "$work/unsigned.exe" "$tree/bin/MorvaLauncher.exe" &&
    ok "without its signature the exe is the unsigned program" ||
    fail "without its signature the exe is not the unsigned program"

# A wrong password, then a missing file: the build fails naming the variable.
for wrong in "MORVA_SIGNING_PASSWORD_FILE=$keys/wrong" "MORVA_SIGNING_PKCS12=$keys/missing.p12"; do
    variable=${wrong%%=*}
    if build "$second" -D"$wrong"; then
        fail "built with a wrong $variable"
    elif named=$(grep -m 1 -o "[^ ].*$variable.*" "$log"); then
        ok "a wrong $variable fails the build: $named"
    else
        tail -n 30 "$log"; fail "a wrong $variable fails the build without naming it"
    fi
done
! grep -rqF "$password" "$tree" "$work/outputs" || fail "the password shows in the build or its log"

[ $failed -eq 0 ] && echo "release checks: all passed"
exit $failed
