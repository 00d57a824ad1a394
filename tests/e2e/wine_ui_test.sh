#!/usr/bin/env bash
# PlcBurn.exe under wine64 on a private X server, driven by key presses and by
# wine_ui_helper.exe (reads the window and its message boxes, presses OK):
#   1. the default build (KQ200, a USB model): the window as it starts, the
#      three keyboard paths, one worker at a time, "CANNOT open USB Port!!!";
#   2. a COM model's build (RU7) against plcsim on COM5: the whole update;
#   3. PM7-D-V2 against plcsim: the power-cycle prompt, then the whole update.
#
# Usage: wine_ui_test.sh --helper EXE --plcsim BIN --work DIR
#          --kq200 EXE --ru7 EXE --ru7-image FILE --pm7d EXE --pm7d-image FILE
# Screenshots and logs go to DIR; the Wine prefix is DIR/wineprefix.
set -uo pipefail

while [ $# -gt 0 ]; do
  case $1 in
    --helper) helper=$2 ;;
    --plcsim) plcsim=$2 ;;
    --work) work=$2 ;;
    --kq200) kq200_exe=$2 ;;
    --ru7) ru7_exe=$2 ;;
    --ru7-image) ru7_image=$2 ;;
    --pm7d) pm7d_exe=$2 ;;
    --pm7d-image) pm7d_image=$2 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
  shift 2
done

mkdir -p "$work"
work=$(cd "$work" && pwd)
exec > >(tee "$work/wine_ui_test.log") 2>&1
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all
failures=0
xvfb_pid=""
app_pid=""
sim_pid=""

check() {  # check <what> <condition...>
  local what=$1
  shift
  if "$@"; then
    echo "ok   $what"
  else
    echo "FAIL $what"
    failures=$((failures + 1))
  fi
}

cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  "$wineserver" -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

# --- X server and Wine prefix --------------------------------------------
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x400x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display")
echo "X server on $DISPLAY"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot -i >"$work/wineboot.log" 2>&1
fi
# A Wine desktop of its own: windows get Wine's caption bar and keyboard focus
# follows clicks without a window manager.
"$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
"$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 640x300 /f >/dev/null
# COM5 as a present device of the Ports class, so that the SetupAPI scan of
# the port list finds it; dosdevices/com5 is plcsim's terminal.
cat >"$work/serial-ports.reg" <<'EOF'
REGEDIT4

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum\ROOT\PORTS\0000]
"FriendlyName"="Communications Port (COM5)"
"ClassGUID"="{4D36E978-E325-11CE-BFC1-08002BE10318}"
"Class"="Ports"
EOF
# (Not "com5.reg": COM5 with any extension is the device itself on Windows.)
"$wine" reg import "$("$wine" winepath -w "$work/serial-ports.reg" 2>/dev/null | tr -d '\r')"
# The desktop of wineboot's session has no Wine desktop window: start afresh,
# then keep one server for all the runs below.
"$wineserver" -k 2>/dev/null
"$wineserver" -w
"$wineserver" -p 60 >/dev/null 2>&1

ui() { "$wine" "$helper" "$@" 2>/dev/null | tr -d '\r'; }
state_is() { ui state | grep -qxF "$1"; }
box_count() { ui boxes | grep -c .; }

start_app() {  # start_app <exe> <log name>
  "$wine" "$1" >"$work/$2.log" 2>&1 &
  app_pid=$!
  ui wait-window 60 >/dev/null
}

stop_app() {
  ui close >/dev/null
  for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  check "the window closes and the program ends" bash -c "! kill -0 $app_pid 2>/dev/null"
  app_pid=""
}

client_x=0
client_y=0
locate_client() {
  local at
  at=$(ui state | sed -n 's/^client=//p')
  client_x=${at%,*}
  client_y=${at#*,}
}

# A click on the panel's empty strip between the bar and the labels gives the
# window itself the focus, as after start-up.
focus_window() {
  locate_client
  xdotool mousemove $((client_x + 300)) $((client_y + 132)) click 1
  sleep 0.3
}

key() { xdotool key "$@"; sleep 0.2; }

shot() {  # shot <file>: the Wine desktop
  import -window root -crop 640x300+0+0 +repage "$1"
}

pixel() {  # pixel <file> <client x> <client y>: "RRGGBB"
  convert "$1" -crop "1x1+$((client_x + $2))+$((client_y + $3))" -format '%[hex:u.p{0,0}]' info: | cut -c1-6
}

# "Programming" reaches past where "Erasing" ends: dark text at x 262..284.
programming_shown() {
  local darkest
  darkest=$(convert "$1" -crop "22x14+$((client_x + 262))+$((client_y + 142))" -colorspace Gray \
    -format '%[fx:int(minima*255)]' info:)
  [ "$darkest" -lt 100 ]
}

# The main window's own pixels, for comparing two looks. The date is left out:
# it is drawn again on itself every 100 ms without a fill, so its smoothed
# edges darken for a while after start-up.
window_crop() {
  convert "$1" -crop "544x205+$((client_x - 3))+$((client_y - 22))" +repage \
    -fill black -draw "rectangle 300,40 430,70" "$2"
}

# Tab until the control with this id (or "window") has the focus.
focus_on() {
  local i
  for i in 1 2 3 4; do
    [ "$(ui focus)" = "focus=$1" ] && return 0
    key Tab
  done
  [ "$(ui focus)" = "focus=$1" ]
}

# --- 1. The default build: KQ200 over USB ---------------------------------
echo "--- KQ200 (USB) build"
start_app "$kq200_exe" kq200
sleep 1
ui state >"$work/kq200-state.txt"
check "title" state_is "title=Korvel PLC Firmware Update Program"
check "outer size 544x205" state_is "size=544x205"
check "model list shows KQ200" state_is "model.selected=KQ200"
check "model list is locked" state_is "model.enabled=0"
check "31 models listed" bash -c "grep '^model.entries=' '$work/kq200-state.txt' | tr ',' '\n' | wc -l | grep -qx 31"
check "port list holds USB alone" state_is "port.entries=USB"
check "USB selected" state_is "port.selected=USB"
check "Start Burn enabled" state_is "button.enabled=1"
locate_client
shot "$work/idle.png"
window_crop "$work/idle.png" "$work/idle-window.png"

# Enter with the focus on the window itself, right after start-up, is the
# dialog OK, identifier 1: the file chooser.
[ "$(ui focus)" = "focus=window" ] || focus_window
check "at start-up the window itself has the focus" test "$(ui focus)" = "focus=window"
key Return
box=$(ui wait-box 20)
check "Enter on the window opens the file chooser ($box)" test "${box%%|*}" = "Open"
ui cancel >/dev/null
ui wait-no-box 10 >/dev/null
check "the chooser started no update" test "$(box_count)" = 0

# Escape is the dialog Cancel, identifier 2: Start Burn.
key Escape
box=$(ui wait-box 20)
check "Escape: \"CANNOT open USB Port!!!\" ($box)" test "$box" = "ERROR|CANNOT open USB Port!!!|owner=main"
check "button disabled while the message is up" state_is "button.enabled=0"
ui press-ok >/dev/null
ui wait-no-box 10 >/dev/null
sleep 0.5
check "button enabled again after OK" state_is "button.enabled=1"
shot "$work/after-error.png"
window_crop "$work/after-error.png" "$work/after-error-window.png"
difference=$(compare -metric AE "$work/idle-window.png" "$work/after-error-window.png" null: 2>&1)
check "after OK the panel has its idle look ($difference pixels differ)" test "$difference" = 0

# Enter with the focus on the button clicks it, also when Tab brought the
# focus there from the window itself.
focus_window
check "after the message the window itself has the focus" test "$(ui focus)" = "focus=window"
check "Tab brings the focus to the Start Burn button" focus_on 2
key Return
box=$(ui wait-box 20)
check "Enter on the button starts an update ($box)" test "$box" = "ERROR|CANNOT open USB Port!!!|owner=main"
ui press-ok >/dev/null
ui wait-no-box 10 >/dev/null

# Enter with the focus on the port list: the file chooser again.
focus_window
check "Tab reaches the port list (the locked model list is skipped)" focus_on 7
key Return
box=$(ui wait-box 20)
check "Enter on the port list opens the file chooser ($box)" test "${box%%|*}" = "Open"
ui cancel >/dev/null
ui wait-no-box 10 >/dev/null
check "no update was started by it" test "$(box_count)" = 0

# Two Start Burn commands back to back: one worker, one message.
sleep 0.5
ui post-start 2 >/dev/null
ui wait-box 20 >/dev/null
sleep 1.5
check "a second Start Burn during a run starts nothing (1 box)" test "$(box_count)" = 1
ui press-ok >/dev/null
sleep 1.5
check "no second worker shows its message afterwards" test "$(box_count)" = 0
stop_app

# --- 2. and 3. COM models against plcsim on COM5 --------------------------
com_run() {  # com_run <name> <model> <exe> <image> <expected prompt or ""> [plcsim options]
  local name=$1 model=$2 exe=$3 image=$4 prompt=$5
  shift 5
  echo "--- $model (COM5) build against plcsim"
  rm -f "$WINEPREFIX/dosdevices/com5" "$work/$name.received"
  "$plcsim" --model "$model" --link "$WINEPREFIX/dosdevices/com5" --out "$work/$name.received" \
    --expect "$image" --exit-after-update --timeout 600 "$@" >"$work/$name-plcsim.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 50); do [ -L "$WINEPREFIX/dosdevices/com5" ] && break; sleep 0.1; done

  start_app "$exe" "$name"
  sleep 1
  ui state >"$work/$name-state.txt"
  check "$model: model list shows $model, locked" bash -c \
    "grep -qx 'model.selected=$model' '$work/$name-state.txt' && grep -qx 'model.enabled=0' '$work/$name-state.txt'"
  check "$model: port list found COM5 and selected it" state_is "port.selected=COM5"

  # A file chosen first takes no part in the update.
  if [ "$name" = ru7 ]; then
    head -c 1000 /dev/zero >"$work/chosen.bin"
    focus_window
    key Return
    ui wait-box 20 >/dev/null
    sleep 0.5
    xdotool type --delay 20 "Z:${work//\//\\}\\chosen.bin"
    key Return
    ui wait-no-box 10 >/dev/null
    check "$model: the file chooser took a file and closed" test "$(box_count)" = 0
  fi

  focus_window
  local started=$SECONDS start_ns
  start_ns=$(date +%s%N)
  key Escape
  if [ -n "$prompt" ]; then
    box=$(ui wait-box 60)
    check "$model: the prompt ($box)" test "$box" = "Information|$prompt|owner=main"
    ui press-ok >/dev/null
    ui wait-no-box 10 >/dev/null
  fi
  # Until the final message: a picture of the run while it programs, the bar part red.
  local running="" red
  while [ $((SECONDS - started)) -lt 300 ]; do
    if [ "$(box_count)" != 0 ]; then break; fi
    if [ -z "$running" ]; then
      shot "$work/$name-progress.png"
      red=$(pixel "$work/$name-progress.png" 12 115)
      if [ "$red" = FF0000 ] && [ "$(pixel "$work/$name-progress.png" 515 115)" != FF0000 ] &&
        programming_shown "$work/$name-progress.png"; then
        running=$work/$name-running.png
        mv "$work/$name-progress.png" "$running"
      fi
    fi
    sleep 0.3
  done
  box=$(ui wait-box 5)
  local took_ms=$((($(date +%s%N) - start_ns) / 1000000))
  echo "$model: whole update under Wine took $took_ms ms (key press to final message)"
  echo "$took_ms" >"$work/$name-update-ms.txt"
  check "$model: \"Firmware update is SUCCESSFUL\" ($box)" test "$box" = "INFORMATION|Firmware update is SUCCESSFUL|owner=main"
  # Only a run long enough to be caught between two pictures can be asked for one.
  if [ "$name" = ru7 ]; then
    check "$model: a picture of the run in progress" test -n "$running"
  fi
  ui press-ok >/dev/null
  ui wait-no-box 10 >/dev/null
  sleep 0.5
  check "$model: Start Burn enabled after the run" state_is "button.enabled=1"
  for _ in $(seq 100); do kill -0 "$sim_pid" 2>/dev/null || break; sleep 0.1; done
  wait "$sim_pid"
  local sim_rc=$?
  sim_pid=""
  check "$model: plcsim holds exactly the image (plcsim exit $sim_rc: $(tail -1 "$work/$name-plcsim.log"))" \
    test "$sim_rc" = 0
  stop_app
}

com_run ru7 RU7 "$ru7_exe" "$ru7_image" ""
# D1386 16696: a PM7-D board.
com_run pm7d PM7-D-V2 "$pm7d_exe" "$pm7d_image" "Please POWER OFF=>ON the PLC, and then press OK to continue" \
  --d1386 16696

[ -f "$work/ru7-running.png" ] && cp "$work/ru7-running.png" "$work/running.png"
echo "screenshots: $work/idle.png $work/running.png"
if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
