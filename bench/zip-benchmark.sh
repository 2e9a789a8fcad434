#!/bin/bash
# The zip backup against Debian's `zip -r -6` of a folder backup of the same files, and a
# restore from the zip against a restore from the folder, in one prefix with the zip set
# installed (bench_zip.exe). Each pair runs in alternating order, round after round, and the
# medians are printed side by side with their ratio. Measures; never fails a build.
#   bench/zip-benchmark.sh <build folder> <prefix folder> <work folder>
set -u
build=$1
prefix=$2
work=$3
rounds=${TARNWICK_ZIP_BENCH_ROUNDS:-4}
windows() { printf 'Z:%s' "${1//\//\\}"; }
tarnwick() { WINEPREFIX="$prefix" WINEDEBUG=-all wine "$build/tarnwick.exe" "$@" >"$work/output.txt" 2>&1; }
# Milliseconds that the command takes.
timed() {
  local start end
  start=$(date +%s%N)
  "$@"
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

WINEPREFIX="$prefix" WINEDEBUG=-all wine "$build/bench/bench_zip.exe" install || exit 1
rm -rf "$work/folder"
tarnwick "/path:$(windows "$work/folder")"
files=$(find "$work/folder" -type f | wc -l)
mib=$(du -sm "$work/folder" | cut -f1)
echo "zip set: $files files, $mib MiB in the folder backup; $rounds rounds; load before: $(cut -d' ' -f1-3 /proc/loadavg)"

ours=() theirs=()
for ((round = 0; round < rounds; round++)); do
  rm -f "$work/ours.zip" "$work/theirs.zip"
  run_ours() { ours+=("$(timed tarnwick "/path:$(windows "$work/ours.zip")")"); }
  run_theirs() { theirs+=("$(cd "$work" && timed zip -r -6 -q theirs.zip folder)"); }
  if ((round % 2 == 0)); then run_ours; run_theirs; else run_theirs; run_ours; fi
  echo "round $((round + 1)): tarnwick zip ${ours[-1]} ms, zip -r -6 ${theirs[-1]} ms" >&2
done
zipped=$(du -m "$work/ours.zip" | cut -f1)
theirsize=$(du -m "$work/theirs.zip" | cut -f1)
unzip -tq "$work/ours.zip" >/dev/null && tested=passes || tested=FAILS

fromzip=() fromfolder=()
for ((round = 0; round < rounds; round++)); do
  run_zip() { fromzip+=("$(timed tarnwick "/restore:$(windows "$work/ours.zip")" /force)"); }
  run_folder() { fromfolder+=("$(timed tarnwick "/restore:$(windows "$work/folder")" /force)"); }
  if ((round % 2 == 0)); then run_zip; run_folder; else run_folder; run_zip; fi
  echo "round $((round + 1)): restore from zip ${fromzip[-1]} ms, from folder ${fromfolder[-1]} ms" >&2
done
grep -a "^Done:" "$work/output.txt"

oursms=$(median "${ours[@]}") theirsms=$(median "${theirs[@]}")
zipms=$(median "${fromzip[@]}") folderms=$(median "${fromfolder[@]}")
echo
echo "| zip set: $files files, $mib MiB (median of $rounds) | time | size |"
echo "|---|---:|---:|"
echo "| tarnwick.exe /path:<zip> (unzip -t $tested) | $oursms ms | $zipped MiB |"
echo "| zip -r -6 of the folder backup | $theirsms ms | $theirsize MiB |"
echo "| ratio tarnwick zip / zip -r -6 | $(ratio "$oursms" "$theirsms")x | |"
echo "| tarnwick.exe /restore:<zip> /force | $zipms ms | |"
echo "| tarnwick.exe /restore:<folder> /force | $folderms ms | |"
echo "| ratio restore from zip / from folder | $(ratio "$zipms" "$folderms")x | |"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
