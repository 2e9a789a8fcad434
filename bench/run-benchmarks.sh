#!/bin/bash
# Runs every benchmark program of a build (bench_*.exe) under Wine, each in a fresh prefix
# kept alive by a persistent wineserver, so no program in it pays Wine's start-up, and prints
# their tables. The backup benchmark runs once per file set. Benchmarks measure; they never
# fail a build.
#   bench/run-benchmarks.sh <build folder> [name filter]
set -u
build=$1
filter=${2:-}
source "$(dirname "${BASH_SOURCE[0]}")/../tests/wine-prefix.sh"
status=0

# The backup benchmark writes its copies to a RAM disk when there is one with room for the
# mixed set, so that the disk's write-back and discards do not land on one side's runs more
# than the other's. TARNWICK_BENCH_ON_DISK=1 keeps them on the prefix's disk.
work=
if [ "${TARNWICK_BENCH_ON_DISK:-0}" != 1 ] && [ -d /dev/shm ] &&
   [ "$(df --output=avail -k /dev/shm 2>/dev/null | tail -n 1)" -gt $((4 * 1024 * 1024)) ] 2>/dev/null; then
  work=/dev/shm/tarnwick-bench-$$
  mkdir -p "$work" && export TARNWICK_BENCH_WORK="Z:${work//\//\\}"
  trap 'rm -rf "$work"' EXIT
fi

# run_in_prefix <prefix name> <program> [arguments...]
run_in_prefix() {
  local name=$1 prefix="$build/wine/prefixes/bench-$1"
  shift
  fresh_prefix "$build/wine" "$prefix" || return 1
  WINEPREFIX="$prefix" WINEDEBUG=-all wineserver -p
  TARNWICK_TEST_PREFIX="bench-$name" TARNWICK_KEEP_PREFIX=1 "$build/wine-run.sh" "$@"
  local rc=$?
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
  rm -rf "$prefix"
  return $rc
}

for exe in "$build"/bench/bench_*.exe; do
  [ -e "$exe" ] || continue
  name=$(basename "$exe" .exe)
  [ -n "$filter" ] && [[ "$name" != *"$filter"* ]] && continue
  if [ "$name" = bench_zip ]; then
    echo "== $name"
    zipwork=${work:-$build/bench/zip-work}/zip
    mkdir -p "$zipwork"
    fresh_prefix "$build/wine" "$build/wine/prefixes/bench-zip" || { status=1; continue; }
    WINEPREFIX="$build/wine/prefixes/bench-zip" WINEDEBUG=-all wineserver -p
    "$(dirname "${BASH_SOURCE[0]}")/zip-benchmark.sh" "$build" "$build/wine/prefixes/bench-zip" "$zipwork" || status=1
    WINEPREFIX="$build/wine/prefixes/bench-zip" wineserver -k >/dev/null 2>&1
    rm -rf "$build/wine/prefixes/bench-zip" "$zipwork"
    echo
  elif [ "$name" = bench_backup ]; then
    for set in small mixed; do
      echo "== $name $set"
      run_in_prefix "$name-$set" "$exe" "$set" || status=1
      echo
    done
  else
    echo "== $name"
    run_in_prefix "$name" "$exe" || status=1
    echo
  fi
done
exit $status
