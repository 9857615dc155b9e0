# Sourced by the benchmark and screenshot scripts: a private X server (Xvfb, on a free display that it picks
# itself) with the openbox window manager, ended when the script exits. Also prepares a folder with
# a registered user's settings file.

# start_x WORKDIR [SCREEN]: starts both (the screen WIDTHxHEIGHTxDEPTH, 1280x1024x24 by default)
# and exports DISPLAY.
start_x() {
  local work=$1 screen=${2:-1280x1024x24}
  : >"$work/display"
  Xvfb -displayfd 9 -screen 0 "$screen" -nolisten tcp 9>"$work/display" 2>>"$work/xvfb.log" &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || { echo "Xvfb did not start (see $work/xvfb.log)" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$work/display")"
  unset WAYLAND_DISPLAY QT_QPA_PLATFORM
  openbox >>"$work/openbox.log" 2>&1 &
  OPENBOX_PID=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.1
  done
  echo "openbox did not start (see $work/openbox.log)" >&2
  return 1
}

# end_pids PID...: ends the given processes (started by this script) and waits for them.
end_pids() {
  local pid
  for pid in "$@"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}

stop_x() {
  end_pids "${OPENBOX_PID:-}" "${XVFB_PID:-}"
  OPENBOX_PID= XVFB_PID=
}

# registered_ini BUILD_DIR SOURCE_DIR WORKDIR: the installed settings file with a registered user,
# as WORKDIR/dovi.ini, so that dovi builds its page on start.
registered_ini() {
  local build=$1 source=$2 work=$3 cli=$1/dovi-cli
  cp "$source/data/dovi.ini" "$work/dovi.ini"
  "$cli" --ini "$work/dovi.ini" set init 使用者 山田太郎さん
  "$cli" --ini "$work/dovi.ini" set init 誕生日 " 1973/ 7/ 5"
  "$cli" --ini "$work/dovi.ini" set init 性別 男性
  "$cli" --ini "$work/dovi.ini" set init 登録日 2000/1/1
}
