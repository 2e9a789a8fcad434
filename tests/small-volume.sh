#!/bin/sh
# A small volume for the tests that fill a disk: a tmpfs of the given size mounted on a folder
# of the build, and taken away again.
#
#   small-volume.sh mount <folder> <size>     (size as mount takes it: 2m, 512k)
#   small-volume.sh unmount <folder>
#
# Mounting needs root; elsewhere the folder stays an ordinary folder, and the tests that need
# a small volume find a large one and skip.
set -u
case "$1" in
  mount)
    mkdir -p "$2" || exit 1
    if ! mountpoint -q "$2"; then
      mount -t tmpfs -o "size=$3" tarnwick-small-volume "$2" 2>/dev/null ||
        echo "small-volume.sh: no small volume at $2 (mounting needs root)"
    fi
    ;;
  unmount)
    if mountpoint -q "$2"; then
      umount "$2" || exit 1
    fi
    rm -rf "$2"
    ;;
  *)
    echo "usage: $0 mount <folder> <size> | unmount <folder>" >&2
    exit 2
    ;;
esac
exit 0
