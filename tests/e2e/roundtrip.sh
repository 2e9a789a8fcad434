#!/bin/bash
# The backup as installation media: drivers installed in one fresh prefix are backed up with
# tarnwick.exe /path:..., then installed from the saved device folders into a second fresh
# prefix. The same files, with the same contents, must land where the first installation put
# them, and the published INF and catalog must be the same. Two drivers are installed from
# their own folder; four, of every kind of package, through the driver store as Windows 10 and
# 11 install them, and for these the store folder's files must be the same too.
# Then the verification and the restore: a third fresh prefix has the same devices without drivers, as a PC that
# lost them would; tarnwick.exe /verify:... finds the backup of all six intact against their
# catalogs, and tarnwick.exe /restore:... installs it back. Each
# device's driver key must name the restored package and every installed file must again be
# the first one's. (Wine's installer stages nothing in a driver store, so the store folders
# are not compared there.)
#   roundtrip.sh <build folder>
set -u
build=$(cd "$1" && pwd)
run="$build/wine-run.sh"
work="$build/roundtrip"
first=roundtrip-first
second=roundtrip-second
third=roundtrip-restore
catalogs='C:\windows\system32\CatRoot\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}'

fail() {
  echo "roundtrip: $*" >&2
  exit 1
}

# The path under which Windows programs see a Linux path (Wine maps / to Z:).
windows() {
  local path=$1
  printf 'Z:%s' "${path//\//\\}"
}

# Runs a program of the build in a prefix: fresh the first time, kept afterwards.
in_prefix() {
  local prefix=$1 keep=$2
  shift 2
  TARNWICK_TEST_PREFIX=$prefix TARNWICK_KEEP_PREFIX=$keep "$run" "$@"
}

stop_prefix() {
  WINEPREFIX="$build/wine/prefixes/$1" wineserver -k >/dev/null 2>&1 || true
}

# "<label>=<path>" arguments for the digest of an installation's output: every installed file
# under its own path, every file staged in the driver store under its path inside the store
# folder, the published INF and catalog under fixed labels (their oemN names may differ
# between the prefixes).
digest_arguments() {
  local install_output=$1 line published store=
  while IFS= read -r line; do
    line=${line%$'\r'}
    case "$line" in
      "file "*) printf '%s\n' "${line#file }=${line#file }" ;;
      "store "*) store=${line#store } ;;
      "staged "*)
        line=${line#staged }
        printf '%s\n' "store:${line#"$store\\"}=$line"
        ;;
      "published "*)
        published=${line#published }
        printf '%s\n' "inf:${published%.inf}=C:\\windows\\inf\\$published"
        printf '%s\n' "cat:${published%.inf}=$catalogs\\${published%.inf}.cat"
        ;;
    esac
  done <"$install_output"
}

rm -rf "$work"
mkdir -p "$work/media" "$work/backup"
helper="$build/tests/e2e/roundtrip_helper.exe"
installer="$build/tests/fixtures/fixture_installer.exe"
recorder=$(windows "$build/tests/support/open_recorder.exe")
# name:hardware ID:install option
drivers=(rtwidget:ROOT\\TARNWICK_RT_WIDGET: rtport:ROOT\\TARNWICK_RT_PORT:
         rtflat:ROOT\\TARNWICK_RT_FLAT:/store rtlayout:ROOT\\TARNWICK_RT_LAYOUT:/store
         rtstore:ROOT\\TARNWICK_RT_STORE:/store rtcoinst:ROOT\\TARNWICK_RT_COINST:/store)
hardware_id() { local rest=${1#*:}; printf '%s' "${rest%%:*}"; }
install_option() { printf '%s' "${1##*:}"; }

# 1. The first prefix: media written, drivers installed, everything backed up.
in_prefix $first 0 "$helper" prepare "$(windows "$work/media")" "$recorder" "$(windows "$work/opened.txt")" ||
  fail "could not write the media"
for entry in "${drivers[@]}"; do
  name=${entry%%:*}
  # shellcheck disable=SC2046 # no option is no argument
  in_prefix $first 1 "$installer" install "$(windows "$work/media/$name/$name.inf")" "$(hardware_id "$entry")" \
    $(install_option "$entry") >"$work/first-$name.txt" || fail "could not install $name in the first prefix"
done
in_prefix $first 1 "$build/tarnwick.exe" "/path:$(windows "$work/backup")" >"$work/backup-output.txt"
status=$?
[ $status -eq 0 ] || { cat "$work/backup-output.txt"; fail "the backup ended with exit code $status"; }
# The same backup as one zip file, which a zip reader that is not the program's finds whole.
in_prefix $first 1 "$build/tarnwick.exe" "/path:$(windows "$work/backup.zip")" >"$work/zip-output.txt"
status=$?
[ $status -eq 0 ] || { cat "$work/zip-output.txt"; fail "the zip backup ended with exit code $status"; }
unzip -tq "$work/backup.zip" >/dev/null || fail "unzip -t finds the zip backup damaged"
for entry in "${drivers[@]}"; do
  name=${entry%%:*}
  mapfile -t labelled < <(digest_arguments "$work/first-$name.txt")
  in_prefix $first 1 "$helper" digest "$(windows "$work/first-$name-digest.txt")" "${labelled[@]}" ||
    fail "could not digest the first installation of $name"
done
stop_prefix $first

# 2. The second prefix: each driver installed from its saved device folder alone.
declare -A saved=([rtwidget]="Tarnwick test devices/Round Trip Widget" [rtport]="Tarnwick ports/Round Trip Port"
                  [rtflat]="Tarnwick test devices/Round Trip Flat" [rtlayout]="Tarnwick test devices/Round Trip Layout"
                  [rtstore]="Tarnwick test devices/Round Trip Store Runner"
                  [rtcoinst]="Tarnwick test devices/Round Trip Co-installer")
fresh=0
for entry in "${drivers[@]}"; do
  name=${entry%%:*}
  folder="$work/backup/${saved[$name]}"
  [ -f "$folder/$name.inf" ] || fail "no $name.inf in the saved folder $folder"
  # shellcheck disable=SC2046
  in_prefix $second $fresh "$installer" install "$(windows "$folder/$name.inf")" "$(hardware_id "$entry")" \
    $(install_option "$entry") >"$work/second-$name.txt" || fail "could not install $name from its backup"
  fresh=1
  mapfile -t labelled < <(digest_arguments "$work/second-$name.txt")
  in_prefix $second 1 "$helper" digest "$(windows "$work/second-$name-digest.txt")" "${labelled[@]}" ||
    fail "could not digest the second installation of $name"
done
stop_prefix $second

# 3. The same files in the same places with the same contents.
for entry in "${drivers[@]}"; do
  name=${entry%%:*}
  for side in first second; do
    sed 's/\r$//; s/^\(inf\|cat\):[^ ]*/\1/' "$work/$side-$name-digest.txt" | sort >"$work/$side-$name-compare.txt"
  done
  grep -q ' missing$' "$work/first-$name-compare.txt" && fail "the first installation of $name lacks a file"
  [ "$(grep -c '^\(file\|staged\) ' "$work/first-$name.txt")" -ge 3 ] ||
    fail "the first installation of $name put too few files in place"
  diff -u "$work/first-$name-compare.txt" "$work/second-$name-compare.txt" ||
    fail "$name installed from its backup differs from the original installation"
done
# A run with its output in a file is a script's: it names its log as its last line and opens
# no viewer.
tail -n 1 "$work/backup-output.txt" | grep -q 'backup\\Tarnwick-.*-log\.txt.$' ||
  fail "the backup's output does not end with its log's path"
[ ! -s "$work/opened.txt" ] || fail "a viewer was opened for a scripted backup"
echo "roundtrip: ${#drivers[@]} drivers reinstalled from their backup with identical files"

# The restore takes the device folders of the six drivers, copied into a backup of their own
# without the backup's other devices.
for entry in "${drivers[@]}"; do
  name=${entry%%:*}
  folder=${saved[$name]}
  mkdir -p "$work/restore-media/${folder%/*}"
  cp -r "$work/backup/$folder" "$work/restore-media/$folder" || fail "could not copy the backup of $name"
done

# 4. A prefix with the devices without drivers, then a whole backup (a folder or a zip file)
# verified and restored at once. A restore that hangs (an installer asking for media for
# ever) fails here instead of at ctest's limit.
#   restore_and_compare <prefix> <backup path>
restore_and_compare() {
  local prefix=$1 source=$2 entry name inf section catalog labelled
  in_prefix "$prefix" 0 "$helper" prepare "$(windows "$work/$prefix-media")" "$recorder" "$(windows "$work/$prefix-opened.txt")" ||
    fail "could not prepare the prefix $prefix"
  for entry in "${drivers[@]}"; do
    in_prefix "$prefix" 1 "$installer" register "$(hardware_id "$entry")" >/dev/null || fail "could not register ${entry#*:}"
  done
  # The backup verifies against the catalogs it carries before anything is restored.
  timeout 300 env TARNWICK_TEST_PREFIX="$prefix" TARNWICK_KEEP_PREFIX=1 "$run" "$build/tarnwick.exe" \
    "/verify:$(windows "$source")" >"$work/$prefix-verify-output.txt"
  status=$?
  [ $status -eq 0 ] || { cat "$work/$prefix-verify-output.txt"; fail "the verification ended with exit code $status"; }
  grep -q "^Verified: ${#drivers[@]} of ${#drivers[@]} driver package(s) intact\\." <(sed 's/\r$//' "$work/$prefix-verify-output.txt") ||
    { cat "$work/$prefix-verify-output.txt"; fail "the verification did not find every package intact"; }
  timeout 300 env TARNWICK_TEST_PREFIX="$prefix" TARNWICK_KEEP_PREFIX=1 "$run" "$build/tarnwick.exe" \
    "/restore:$(windows "$source")" >"$work/$prefix-restore-output.txt"
  status=$?
  [ $status -eq 0 ] || { cat "$work/$prefix-restore-output.txt"; fail "the restore ended with exit code $status"; }
  grep -q "^Done: ${#drivers[@]} of ${#drivers[@]} driver package(s) restored\\." <(sed 's/\r$//' "$work/$prefix-restore-output.txt") ||
    { cat "$work/$prefix-restore-output.txt"; fail "the restore did not report every package restored"; }
  ids=()
  for entry in "${drivers[@]}"; do ids+=("$(hardware_id "$entry")"); done
  in_prefix "$prefix" 1 "$helper" driverkeys "$(windows "$work/$prefix-keys.txt")" "${ids[@]}" ||
    fail "could not read the driver keys of the prefix $prefix"
  for entry in "${drivers[@]}"; do
    name=${entry%%:*}
    read -r _ inf section catalog < <(grep -F "$(hardware_id "$entry") " "$work/$prefix-keys.txt" | sed 's/\r$//')
    # Wine publishes an INF under its own name; Windows would name it oemN.inf.
    [ "${inf,,}" = "$name.inf" ] || [[ "${inf,,}" == oem*.inf ]] || fail "the driver key of $name names ${inf:-nothing}"
    [ "$section" = DeviceInstall ] || fail "the driver key of $name names the section ${section:-nothing}"
    mapfile -t labelled < <(digest_arguments "$work/first-$name.txt" | grep -v '^\(inf\|cat\|store\):')
    labelled+=("inf:restored=C:\\windows\\inf\\$inf" "cat:restored=$catalog")
    in_prefix "$prefix" 1 "$helper" digest "$(windows "$work/$prefix-$name-digest.txt")" "${labelled[@]}" ||
      fail "could not digest the restored $name"
    sed 's/\r$//; s/^\(inf\|cat\):[^ ]*/\1/' "$work/$prefix-$name-digest.txt" | sort >"$work/$prefix-$name-compare.txt"
    diff -u <(grep -v '^store:' "$work/first-$name-compare.txt") "$work/$prefix-$name-compare.txt" ||
      fail "$name restored from $source differs from the original installation"
  done
  stop_prefix "$prefix"
}

restore_and_compare $third "$work/restore-media"
# A scripted restore, like a scripted backup, names its log (moved into the backup folder) as
# its last line and opens no viewer.
tail -n 1 "$work/$third-restore-output.txt" | grep -q 'restore-media\\Tarnwick-.*-restore-log\.txt.$' ||
  fail "the restore's output does not end with its log's path in the backup folder"
[ ! -s "$work/$third-opened.txt" ] || fail "a viewer was opened for a scripted restore"
echo "roundtrip: ${#drivers[@]} drivers restored by tarnwick.exe with identical files"

# 5. The zip backup restores as the folder does: the same packages, the same files in place;
# its extraction folder is gone at the end.
zipped=roundtrip-zip
restore_and_compare $zipped "$work/backup.zip"
[ -z "$(ls -d "$build/wine/prefixes/$zipped/drive_c/users/"*/Temp/Tarnwick-zip-* 2>/dev/null)" ] ||
  fail "the zip's extraction folder was left in the temporary folder"
echo "roundtrip: ${#drivers[@]} drivers restored from the zip backup with identical files"
