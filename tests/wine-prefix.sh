# Shell functions shared by the test runner and tarnwick.sh: an X display for windows, a
# booted template Wine prefix, and fresh prefixes copied from it. Source it; do not run it.

# Starts an Xvfb and sets XVFB_NUMBER and XVFB_PID. With -displayfd the server picks a free
# number itself, safely against servers that start at the same time. $1: the screen's size
# (default 1280x1024x24).
launch_xvfb() {
  local numberfile tries=0 screen=${1:-1280x1024x24}
  numberfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$numberfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  while [ ! -s "$numberfile" ] && kill -0 "$XVFB_PID" 2>/dev/null && [ $tries -lt 500 ]; do
    sleep 0.02
    tries=$((tries + 1))
  done
  XVFB_NUMBER=$(tr -dc '0-9' <"$numberfile")
  rm -f "$numberfile"
  [ -n "$XVFB_NUMBER" ] && return 0
  kill "$XVFB_PID" 2>/dev/null
  echo "wine-prefix: could not start Xvfb" >&2
  return 1
}

# Starts (or reuses) an Xvfb display for this build folder when none is set, and exports
# DISPLAY. The server's number and pid are kept in ROOT/xvfb.{display,pid}.
ensure_display() {
  local root=$1
  [ -n "${DISPLAY:-}" ] && return 0
  mkdir -p "$root"
  exec 8>"$root/xvfb.lock"
  flock 8
  local number pid
  number=$(cat "$root/xvfb.display" 2>/dev/null || true)
  pid=$(cat "$root/xvfb.pid" 2>/dev/null || true)
  if [ -z "$number" ] || [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null; then
    if ! launch_xvfb; then
      flock -u 8
      return 1
    fi
    number=$XVFB_NUMBER
    echo "$number" >"$root/xvfb.display"
    echo "$XVFB_PID" >"$root/xvfb.pid"
  fi
  flock -u 8
  export DISPLAY=":$number"
}

# Stops the Xvfb that ensure_display started for ROOT, if any.
stop_display() {
  local root=$1 pid
  pid=$(cat "$root/xvfb.pid" 2>/dev/null || true)
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -f "$root/xvfb.pid" "$root/xvfb.display"
}

# Starts an Xvfb of its own for one program and exports its DISPLAY; PRIVATE_XVFB_PID holds
# its pid for stop_private_display. The keyboard focus and the active window are one per
# display, so window tests that run side by side on a shared display take them from each other.
# TARNWICK_TEST_SCREEN sets its size (as 1366x768x24).
start_private_display() {
  launch_xvfb "${TARNWICK_TEST_SCREEN:-}" || return 1
  PRIVATE_XVFB_PID=$XVFB_PID
  export DISPLAY=":$XVFB_NUMBER"
}

stop_private_display() {
  if [ -n "${PRIVATE_XVFB_PID:-}" ]; then
    kill "$PRIVATE_XVFB_PID" 2>/dev/null
    wait "$PRIVATE_XVFB_PID" 2>/dev/null
  fi
  PRIVATE_XVFB_PID=
}

# Boots ROOT/template once: a quiet prefix with no crash dialogs and no window manager waits.
ensure_template() {
  local root=$1 template="$1/template"
  mkdir -p "$root"
  exec 9>"$root/template.lock"
  flock 9
  if [ ! -e "$template/.tarnwick-ready" ]; then
    rm -rf "$template"
    (
      export WINEPREFIX="$template" WINEDEBUG=-all
      wineboot -i >/dev/null 2>&1 &&
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 &&
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 &&
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d Y /f >/dev/null 2>&1 &&
        wineserver -w
    ) || { echo "wine-prefix: could not boot the template prefix" >&2; flock -u 9; return 1; }
    touch "$template/.tarnwick-ready"
  fi
  flock -u 9
}

# Makes PREFIX a fresh copy of ROOT/template. The system folders full of program files are
# hard links (Wine never writes them in place); everything else, the registry included, is
# a real copy that the tests may change.
fresh_prefix() {
  local root=$1 prefix=$2 template="$1/template"
  if [ -d "$prefix" ]; then
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
    rm -rf "$prefix"
  fi
  mkdir -p "$(dirname "$prefix")"
  rm -rf "$prefix.partial"
  cp -al "$template" "$prefix.partial" || return 1
  (cd "$template" && find . -type f ! -path './drive_c/windows/system32/*' \
      ! -path './drive_c/windows/syswow64/*' ! -path './drive_c/windows/winsxs/*' -print0) |
    (cd "$prefix.partial" && xargs -0 -r -I{} cp -p --remove-destination "$template/{}" "{}") || return 1
  mv "$prefix.partial" "$prefix"
}
