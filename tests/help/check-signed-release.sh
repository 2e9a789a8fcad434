#!/bin/bash
# Signs a release the way "./tarnwick.sh dist" does when a certificate is given, with a
# throwaway certificate made here by openssl, and checks the program in the zip with
# osslsigncode: its Authenticode signature (SHA-256) verifies against that certificate and not
# against another one; a wrong password packs nothing; the password is left nowhere.
#
#   check-signed-release.sh <source folder> <tarnwick.exe> <Help.chm> <cmake>
set -u
source_dir=$1
exe=$2
help=$3
cmake=$4

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for tool in openssl osslsigncode unzip; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# make_signer <name>: a self-signed code-signing certificate <name>.pem and its <name>.pfx.
make_signer() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarnwick test signer $1" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
    -keyout "$work/$1.key" -out "$work/$1.pem" >/dev/null 2>&1 &&
  openssl pkcs12 -export -inkey "$work/$1.key" -in "$work/$1.pem" -out "$work/$1.pfx" \
    -passout pass:throwaway-secret >/dev/null 2>&1
}
make_signer signer || { echo "FAIL: openssl could not make the test certificate"; exit 1; }
make_signer stranger || { echo "FAIL: openssl could not make the second certificate"; exit 1; }

pack() {  # pack <zip> <password>
  TARNWICK_SIGN_PFX="$work/signer.pfx" TARNWICK_SIGN_PASSWORD="$2" \
    "$cmake" "-DEXE=$exe" "-DHELP=$help" "-DREADME=$source_dir/README.md" \
    "-DLICENSE=$source_dir/LICENSE" "-DOUTPUT=$1" -P "$source_dir/cmake/MakeReleasePackage.cmake" \
    >"$work/pack.log" 2>&1
}

mkdir "$work/good"
if ! pack "$work/good/tarnwick.zip" throwaway-secret; then
  cat "$work/pack.log"
  fail "packing with a certificate failed"
else
  unzip -p "$work/good/tarnwick.zip" tarnwick.exe >"$work/signed.exe"
  osslsigncode verify -CAfile "$work/signer.pem" -in "$work/signed.exe" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log"; fail "the signed program does not verify against its certificate"; }
  grep -q -i "sha256" "$work/verify.log" || fail "the signature's digest is not SHA-256"
  osslsigncode verify -CAfile "$work/stranger.pem" -in "$work/signed.exe" >/dev/null 2>&1 &&
    fail "the signed program verifies against a certificate that did not sign it"
  osslsigncode verify -CAfile "$work/signer.pem" -in "$exe" >/dev/null 2>&1 &&
    fail "the build's own program came out signed: signing must work on the packed copy"
  [ -z "$(find "$work/good" -mindepth 1 ! -name tarnwick.zip)" ] ||
    fail "signing left files beside the zip: $(find "$work/good" -mindepth 1)"
fi

mkdir "$work/bad"
pack "$work/bad/tarnwick.zip" wrong-password && fail "a wrong password packed a release"
[ -z "$(find "$work/bad" -mindepth 1)" ] || fail "a failed signing left $(find "$work/bad" -mindepth 1)"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed for the signed release"
  exit 1
fi
echo "Signed release OK"
