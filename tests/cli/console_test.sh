#!/bin/sh
# vantorel-cli in a real console: tmux runs it under Wine in a 60-column window
# while the stand-in host follows a script. Checks the status line (drawn, cut
# to the width, blanked before output and at the end), non-ASCII output, and
# Ctrl+C while waiting (stopped, exit 1, promptly).
#   console_test.sh SOURCE_DIR BUILD_DIR
set -u
source_dir=$1
build_dir=$2
work=$(mktemp -d "$build_dir/console-test.XXXXXX")
failures=0
runs=0
socket=""

cleanup() { [ -n "$socket" ] && tmux -L "$socket" kill-server 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
screen() { tmux -L "$socket" capture-pane -p -t cli; }
# Waits up to $2 seconds for the screen to hold the pattern $1.
wait_for() {
  end=$(($(date +%s) + $2))
  while [ "$(date +%s)" -le "$end" ]; do
    screen | grep -q -- "$1" && return 0
    sleep 0.05
  done
  return 1
}
start() {  # start SCRIPT_FILE ARGUMENTS...
  script=$1; shift
  windows_script="Z:$(printf '%s' "$script" | tr / '\\')"
  # A fresh server per run: a new session must never land on a server that is still shutting down.
  [ -n "$socket" ] && tmux -L "$socket" kill-server 2>/dev/null
  runs=$((runs + 1))
  socket="vantorel-console-$$-$runs"
  tmux -L "$socket" -u new-session -d -s cli -x 60 -y 20 \
    "env LANG=C.UTF-8 VANTOREL_STANDIN_SCRIPT='$windows_script' ${extra_env:-} '$source_dir/tools/wine-run' '$build_dir/wineprefix' '$build_dir/bin/vantorel-cli.exe' $*; echo EXIT=\$?; sleep 120"
}

# Presses Ctrl+C and checks that the run stops promptly with the stopped
# message and exit code 1; $1 tells the case apart in what is printed.
press_ctrl_c() {
  started=$(date +%s%N)
  tmux -L "$socket" send-keys -t cli C-c
  if ! wait_for "EXIT=" 5; then
    fail "Ctrl+C$1 did not end vantorel-cli"
    return 1
  fi
  ms=$((($(date +%s%N) - started) / 1000000))
  echo "Ctrl+C$1 to exit: $ms ms"
  [ "$ms" -lt 1500 ] || fail "Ctrl+C$1 took $ms ms"
  screen | grep -q "Stopped. The remaining steps were not run." || fail "no stopped message$1: $(screen)"
  screen | grep -qx "EXIT=1" || fail "exit code after Ctrl+C$1: $(screen | grep EXIT)"
}

long=012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789
cut=01234567890123456789012345678901234567890123456789012345678  # 59 columns: one short of 60

cat >"$work/status.txt" <<SCRIPT
S $long
pause 1500
O output line\\n
O gr\\xc3\\xbc\\xc3\\x9f \\xe6\\x97\\xa5\\xe6\\x9c\\xac\\n
S short	status
pause 1500
X 0
SCRIPT
start "$work/status.txt" get
if wait_for "$cut" 30; then
  screen | grep -qx "$cut" || fail "status line not cut to 59 columns: $(screen | grep 0123)"
else
  fail "status line never drawn"
fi
if wait_for "short status" 10; then
  screen | grep -qx "output line" || fail "output not on a blanked line: $(screen | grep output)"
  screen | grep -q "gr\\(ü\\)ß 日本" || fail "non-ASCII output garbled: $(screen | grep gr)"
  screen | grep -q "0123" && fail "old status text left on screen"
  screen | grep -qx "short status" || fail "tab in status not drawn as a space: $(screen | grep short)"
else
  fail "second status line never drawn"
fi
if wait_for "EXIT=" 10; then
  screen | grep -qx "EXIT=0" || fail "exit code: $(screen | grep EXIT)"
  screen | grep -q "short" && fail "status line left on screen after the exit"
else
  fail "vantorel-cli did not end"
fi

printf 'S waiting for the host\npause 30000\nX 0\n' >"$work/wait.txt"
start "$work/wait.txt" list
if wait_for "waiting for the host" 30; then
  if press_ctrl_c ""; then
    screen | grep -q "waiting" && fail "status line left on screen after Ctrl+C"
  fi
else
  fail "status line of the waiting run never drawn"
fi

# Ctrl+C while the host has been started but has not opened the pipe yet: the
# control handler is in place, so the wait for the connection must notice it.
printf 'noconnect 20000\n' >"$work/noconnect.txt"
record="$work/started.txt"
extra_env="VANTOREL_STANDIN_RECORD='Z:$(printf '%s' "$record" | tr / '\\')'"
start "$work/noconnect.txt" list
extra_env=""
end=$(($(date +%s) + 30))
while [ ! -s "$record" ] && [ "$(date +%s)" -le "$end" ]; do sleep 0.05; done
if [ -s "$record" ]; then
  sleep 1.5  # the handler goes in once the launch has returned; give a loaded machine time
  press_ctrl_c " before the connection"
else
  fail "the host of the unconnected run never started"
fi

[ $failures -eq 0 ] && echo "console test passed"
exit $failures
