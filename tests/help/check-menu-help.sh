#!/bin/bash
# Checks that the help follows the menus: the text of every menu item of the resource script
# (its access key's "&" and its key after the tab left out) is found in a help topic, and every
# item of the Device menu is in the topic of the menus.
#
#   check-menu-help.sh <menu resource script> <help source folder>
set -u
script=$1
sources=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Prints "<popup>|<item text>" for each MENUITEM, the popup being the last POPUP line above it.
menu_items() {
  tr -d '\r' <"$script" | awk '
    /^[ \t]*POPUP[ \t]+"/ { match($0, /"[^"]*"/); popup = substr($0, RSTART + 1, RLENGTH - 2) }
    /^[ \t]*MENUITEM[ \t]+"/ { match($0, /"[^"]*"/); print popup "|" substr($0, RSTART + 1, RLENGTH - 2) }'
}

count=0
while IFS='|' read -r popup text; do
  text=${text%%\\t*}
  text=${text//&/}
  count=$((count + 1))
  grep -qF "$text" "$sources"/*.htm || fail "menu item '$text' is in no help topic"
  if [ "$popup" = "&Device" ]; then
    grep -qF "<td>$text</td>" "$sources/menus-keys.htm" || fail "Device menu item '$text' is not in menus-keys.htm"
  fi
done < <(menu_items)

[ "$count" -gt 0 ] || fail "no menu item found in $script"
if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "Help OK: all $count menu items are in the help"
