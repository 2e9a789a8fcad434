#!/bin/bash
# Checks the compiled Help.chm beside tarnwick.exe against the help sources: every topic that
# the table of contents or the index names is inside the file with the content of its source,
# every topic of the sources is reachable from the table of contents, every link between
# topics resolves, and the file carries its contents, index, full-text search, viewer window,
# default topic and a title with the program's version.
#
#   check-help-file.sh <Help.chm> <help source folder> <VERSION file>
set -u
chm=$1
sources=$2
version=$(head -n 1 "$3" | tr -d '\r')

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for tool in enum_chmLib extract_chmLib; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (Debian package libchm-bin)"; exit 1; }
done
[ -f "$chm" ] || { echo "FAIL: no help file at $chm"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The listing ends each line with a tab and the entry's name inside the CHM, such as /index.htm.
enum_chmLib "$chm" | sed -n 's/.*\t//p' >"$work/names"
extract_chmLib "$chm" "$work/chm" >/dev/null
has() { grep -qxF "/$1" "$work/names"; }

# The records of the #SYSTEM file: a 4-byte version, then (code, length, data) with 16-bit
# little-endian code and length. Prints the text of the record with the given code.
system_text() {
  local want=$1 bytes i n code length k text=
  read -r -a bytes <<<"$(od -An -v -tu1 "$work/chm/#SYSTEM" | tr -s ' \n' '  ')"
  n=${#bytes[@]}
  i=4
  while [ $((i + 4)) -le "$n" ]; do
    code=$((bytes[i] | bytes[i + 1] << 8))
    length=$((bytes[i + 2] | bytes[i + 3] << 8))
    i=$((i + 4))
    if [ "$code" -eq "$want" ]; then
      for ((k = i; k < i + length && bytes[k] != 0; k++)); do
        text+=$(printf "\\$(printf '%03o' "${bytes[k]}")")
      done
      printf '%s' "$text"
      return 0
    fi
    i=$((i + length))
  done
  return 1
}

# Topic files named by a sitemap (.hhc or .hhk), anchors dropped.
sitemap_topics() {
  grep -io '<param name="Local" value="[^"]*"' "$1" | sed 's/.*value="//I; s/"$//; s/#.*//' | sort -u
}

[ -f "$work/chm/#SYSTEM" ] || { echo "FAIL: the help file has no #SYSTEM record"; exit 1; }
contents=$(system_text 0) || fail "no contents file is named"
index=$(system_text 1) || fail "no index file is named"
default_topic=$(system_text 2) || fail "no default topic is named"
title=$(system_text 3) || fail "no title is set"

# Contents: the compiled table of contents is the source's, and each of its topics is inside
# the help file exactly as written.
if [ -n "${contents:-}" ]; then
  if ! has "$contents"; then
    fail "contents file $contents is not inside the help file"
  else
    cmp -s "$work/chm/$contents" "$sources/$contents" || fail "$contents differs from its source"
    toc_topics=$(sitemap_topics "$work/chm/$contents")
    [ -n "$toc_topics" ] || fail "the table of contents names no topic"
    for topic in $toc_topics; do
      if ! has "$topic"; then
        fail "topic $topic of the table of contents is not inside the help file"
      elif ! cmp -s "$work/chm/$topic" "$sources/$topic"; then
        fail "topic $topic differs from its source"
      fi
    done
    # No topic of the sources is left out of the table of contents.
    for source in "$sources"/*.htm; do
      name=$(basename "$source")
      grep -qxF "$name" <<<"$toc_topics" || fail "topic $name is not in the table of contents"
    done
  fi
fi

# Index: every keyword leads to a topic inside the file, and the binary keyword index exists.
if [ -n "${index:-}" ]; then
  if ! has "$index"; then
    fail "index file $index is not inside the help file"
  else
    index_topics=$(sitemap_topics "$work/chm/$index")
    [ -n "$index_topics" ] || fail "the index names no topic"
    for topic in $index_topics; do
      has "$topic" || fail "topic $topic of the index is not inside the help file"
    done
  fi
fi
has '$WWKeywordLinks/BTree' || fail "the help file has no keyword index"

# Links between topics and to the style sheet resolve inside the help file.
for source in "$sources"/*.htm; do
  for link in $(grep -io '\(href\|src\)="[^"]*"' "$source" | sed 's/^[^"]*"//; s/"$//; s/#.*//'); do
    case "$link" in
      '' | *:*) continue ;;
    esac
    has "$link" || fail "$(basename "$source") links to $link, which is not inside the help file"
  done
done

has '$FIftiMain' || fail "the help file has no full-text search index"
has '#WINDOWS' || fail "the help file defines no viewer window"
[ -n "${default_topic:-}" ] && { has "$default_topic" || fail "default topic $default_topic is not inside the help file"; }
case "${title:-}" in
  *"Tarnwick $version"*) ;;
  *) fail "title '${title:-}' does not carry the version $version" ;;
esac

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed for $chm"
  exit 1
fi
echo "Help file OK: $(wc -l <<<"$toc_topics") topics in the table of contents, $(wc -l <<<"$index_topics") in the index, title '$title'"
