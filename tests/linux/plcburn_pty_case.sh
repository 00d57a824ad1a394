#!/usr/bin/env bash
# plcburn against plcsim on a pseudo-terminal, in real time: one case a call.
#   plcburn_pty_case.sh PLCBURN PLCSIM IMAGE MODEL CASE
# The image is the one built into PLCBURN; MODEL is the model it presets.
# CASE: update, run-mode, flash-write-error, no-link.
set -euo pipefail
plcburn=$1 plcsim=$2 image=$3 model=$4 case=$5

work=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then kill "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL [$case]: $*"
  echo "--- plcburn output"; cat "$work/burn.out" 2>/dev/null || true
  echo "--- plcsim output"; cat "$work/sim.err" 2>/dev/null || true
  exit 1
}

# Starts plcsim with the given options and waits for its terminal.
start_sim() {
  "$plcsim" --model "$model" --link "$work/tty" --timeout 180 "$@" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 100); do
    [ -e "$work/tty" ] && return 0
    sleep 0.05
  done
  fail "plcsim made no terminal"
}

# Runs plcburn with the given options, no terminal on stdin; sets burn_rc.
run_burn() {
  set +e
  "$plcburn" "$@" </dev/null >"$work/burn.out" 2>&1
  burn_rc=$?
  set -e
}

expect_burn() {  # RC MESSAGE
  [ "$burn_rc" -eq "$1" ] || fail "plcburn exit status $burn_rc, expected $1"
  grep -qxF -- "$2" "$work/burn.out" || fail "no line '$2'"
}

stop_sim() {  # leaves sim_rc
  kill -TERM "$sim_pid" 2>/dev/null || true
  set +e; wait "$sim_pid"; sim_rc=$?; set -e
  sim_pid=""
}

case "$case" in
  update)
    # The whole update; plcsim ends when the final EOT is acknowledged and
    # tells by its exit status whether it holds exactly the image.
    start_sim --expect "$image" --exit-after-update --transcript "$work/sim.jsonl"
    run_burn --port "$work/tty" --yes --transcript "$work/burn.txt"
    # plcsim writes its transcript when it ends.
    set +e; wait "$sim_pid"; sim_rc=$?; set -e
    sim_pid=""
    [ "$sim_rc" -eq 0 ] || fail "plcsim does not hold exactly the image (exit $sim_rc)"
    if grep -q "^Link:  USB" "$work/burn.out"; then
      expect_burn 0 "Information: Firmware update is SUCCESSFUL!, please REPLUG the USB cable"
      # Once: the follow-up sent just before the close restarts the PLC into
      # its bootloader, so the second pass finds it there.
      [ "$(grep -cxF "Information: Please REPLUG the USB Cable, and then press OK to continue" "$work/burn.out")" -eq 1 ] ||
        fail "not exactly one replug prompt"
      grep -q '"event":"bootloader (replugged)"' "$work/sim.jsonl" || fail "plcsim saw no replug"
    else
      expect_burn 0 "INFORMATION: Firmware update is SUCCESSFUL"
      ! grep -q "REPLUG\|POWER OFF" "$work/burn.out" || fail "this COM model restarts by itself: no prompt"
    fi
    grep -q "SET 115200 8N1" "$work/burn.txt" || fail "no switch to the fast line settings"
    grep -q "^[0-9.]* TX 02 01 FE" "$work/burn.txt" || fail "the transcript has no first block"
    ;;
  run-mode)
    # Stage 1 refused: the PLC is in RUN mode; nothing is erased.
    start_sim --start run
    run_burn --port "$work/tty" --yes
    expect_burn 5 "ERROR: PLC in RUN MODE"
    stop_sim
    grep -q "0 ERASE, 0 blocks accepted" "$work/sim.err" || fail "the PLC was erased or written"
    ;;
  flash-write-error)
    # The bootloader cannot write the third block.
    start_sim --fault kind=flasherror,req=block,index=2
    run_burn --port "$work/tty" --yes
    expect_burn 8 "ERROR: Flash write error, maybe due to flash write protection. RE-POWER PLC and update FW again"
    stop_sim
    grep -q "2 blocks accepted" "$work/sim.err" || fail "plcsim did not stop at the third block"
    ;;
  no-link)
    run_burn --port "$work/no-such-tty" --yes
    [ "$burn_rc" -eq 4 ] || fail "plcburn exit status $burn_rc, expected 4"
    grep -qx "ERROR: CANNOT open .* Port!!!" "$work/burn.out" || fail "no link-failure message"
    if grep -q "^Link:  USB" "$work/burn.out"; then
      expect_burn 4 "ERROR: CANNOT open USB Port!!!"
    fi
    ;;
  *)
    echo "unknown case $case"; exit 2 ;;
esac
echo "PASS [$case]"
