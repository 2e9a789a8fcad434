#!/bin/bash
# Packs a release zip with the same script as the "dist" target, from the built program and
# help file, and checks it: its name carries the version of the VERSION file, it holds exactly
# the program, the help file, the README and the licence, each byte for byte, and the program
# inside carries the same version in its version resource.
#
#   check-release-package.sh <source folder> <tarnwick.exe> <Help.chm> <zip name the build uses>
#                            <cmake> [windres, to read the version resource]
set -u
source_dir=$1
exe=$2
help=$3
package_name=$4
cmake=$5
windres=${6:-}
version=$(head -n 1 "$source_dir/VERSION" | tr -d '\r')

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

command -v unzip >/dev/null || { echo "FAIL: unzip is missing"; exit 1; }

[ "$package_name" = "tarnwick-$version-x64.zip" ] ||
  fail "the build names the zip $package_name, not tarnwick-$version-x64.zip"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
zip=$work/$package_name
# Packed as a build without a certificate is: the program byte for byte as built.
if ! env -u TARNWICK_SIGN_PFX "$cmake" "-DEXE=$exe" "-DHELP=$help" "-DREADME=$source_dir/README.md" "-DLICENSE=$source_dir/LICENSE" \
     "-DOUTPUT=$zip" -P "$source_dir/cmake/MakeReleasePackage.cmake" >"$work/pack.log" 2>&1; then
  cat "$work/pack.log"
  echo "FAIL: packing the zip failed"
  exit 1
fi

expected=$(printf '%s\n' Help.chm LICENSE.txt README.md tarnwick.exe)
actual=$(unzip -Z1 "$zip" | sort)
[ "$actual" = "$expected" ] || fail "the zip holds [$(echo $actual)], expected [$(echo $expected)]"

check_entry() {
  local entry=$1 original=$2
  unzip -p "$zip" "$entry" >"$work/entry" 2>/dev/null || { fail "$entry cannot be read from the zip"; return; }
  cmp -s "$work/entry" "$original" || fail "$entry in the zip differs from $original"
}
check_entry tarnwick.exe "$exe"
check_entry Help.chm "$help"
check_entry README.md "$source_dir/README.md"
check_entry LICENSE.txt "$source_dir/LICENSE"

# A leftover staging folder next to the zip would end up in the next package's folder.
[ -z "$(find "$work" -mindepth 1 -maxdepth 1 ! -name "$package_name" ! -name pack.log ! -name entry)" ] ||
  fail "packing left files beside the zip"

# The program in the zip is the 64-bit build of this version.
unzip -p "$zip" tarnwick.exe >"$work/tarnwick.exe"
pe_offset=$(od -An -tu4 -j 60 -N 4 "$work/tarnwick.exe" | tr -d ' ')
signature=$(od -An -c -j "$pe_offset" -N 4 "$work/tarnwick.exe" | tr -d ' ')
machine=$(od -An -tx2 -j $((pe_offset + 4)) -N 2 "$work/tarnwick.exe" | tr -d ' ')
[ "$signature" = 'PE\0\0' ] || fail "tarnwick.exe in the zip is not a Windows executable"
[ "$machine" = 8664 ] || fail "tarnwick.exe in the zip is not an x64 program (machine $machine)"
# Only windres (MinGW) can read the resources back out of a program; rc.exe cannot.
if [[ "$(basename "$windres")" == *windres* ]]; then
  file_version=$("$windres" -i "$work/tarnwick.exe" -O rc 2>/dev/null | sed -n 's/.*VALUE "FileVersion", "\(.*\)".*/\1/p')
  [ "$file_version" = "$version" ] || fail "tarnwick.exe carries file version '$file_version', VERSION says $version"
  resource=$("$windres" -i "$work/tarnwick.exe" -O rc 2>/dev/null)
  for field in ProductVersion ProductName CompanyName LegalCopyright; do
    grep -q -E "VALUE \"$field\", L?\"[^\"]" <<<"$resource" || fail "tarnwick.exe's version resource has no $field"
  done
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed for the release zip"
  exit 1
fi
echo "Release zip OK: $package_name with $(echo $actual)"
