#!/bin/bash
# Runs every benchmark program of a build (bench_*.exe) under Wine, each in a fresh prefix,
# and prints their tables. Benchmarks measure; they never fail a build.
#   bench/run-benchmarks.sh <build folder> [name filter]
set -u
build=$1
filter=${2:-}
status=0
for exe in "$build"/bench/bench_*.exe; do
  [ -e "$exe" ] || continue
  name=$(basename "$exe" .exe)
  [ -n "$filter" ] && [[ "$name" != *"$filter"* ]] && continue
  echo "== $name"
  "$build/wine-run.sh" "$exe" || status=1
  echo
done
exit $status
