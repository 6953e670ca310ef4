# Sourced by the launcher's end-to-end scenarios: game folders made from the sample
# generator with the loopback launcher and the stand-ins copied in, nginx on the
# port built into that launcher, the launcher run under Wine and driven from outside
# with kqdrive, as a player would use it.
#
# Expects: build (the win64 build folder), port (the loopback port), work (a scratch
# folder of this scenario). Defines source_dir, run, bin.
set -u -o pipefail

here_lib="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_dir="$(cd "$here_lib/../../.." && pwd)"
run="$build/wine-run.sh"
bin="$build/bin"
TITLE="KQ Online Launcher"
BOX="KQ Patcher"
PREFIX="KQZV"
WM_PATCH_ERROR=0x8001
launchers=()
server_state=""

fail() {
  echo "FAIL: $*"
  exit 1
}

drive() { "$run" "$bin/kqdrive.exe" "$@" | tr -d '\r'; }

# Every text of the window's children, one "ID TEXT" a line.
texts() { drive texts "$1"; }

# A game folder at version: the sample files, the sample skin and language texts,
# the loopback launcher, the finisher, the stand-in client and engine modules.
make_game() {
  local dir="$1" version="$2"
  python3 "$source_dir/sample/make-game-folder.py" "$dir" --version "$version" >/dev/null || fail "make-game-folder"
  python3 "$source_dir/sample/make-skin.py" "$dir" >/dev/null || fail "make-skin"
  cp "$bin/loopback/KQAutoPatch.exe" "$bin/KQExecuter.exe" "$bin/KQClient-Connect.exe" \
     "$bin/NorvExecutiveForQel.dll" "$bin/NorvGFuncSSE.dll" "$bin/NorvGFuncN.dll" "$dir/" || fail "copying programs"
}

version_string() { printf '%s%08d' "$PREFIX" "$1"; }

# The publisher's version folder (what the release tool reads).
make_version() {
  python3 "$source_dir/sample/make-game-folder.py" "$1" --version "$2" >/dev/null || fail "make-game-folder $2"
}

# Starts nginx on the launcher's port; extra arguments go to servers.py.
serve() {
  server_state="$work/server"
  python3 "$source_dir/tests/servers/servers.py" start "$server_state" --nginx-port "$port" "$@" >/dev/null ||
    fail "the test servers did not start"
  www="$server_state/www/ClientPatchFiles_ZV"
}

# The server folder for current with older versions, made by kqpack release.
publish() {
  local out="$work/release"
  rm -rf "$out"
  "$run" "$bin/kqpack.exe" release "$out" "$@" >"$work/release.log" 2>&1 || fail "kqpack release: $(cat "$work/release.log")"
  rm -rf "$www"
  cp -r "$out/ClientPatchFiles_ZV" "$www" || fail "copying the release"
}

# A server record: current version number and base number.
write_record() {
  printf '%s %08d' "$(version_string "$1")" "$2" >"$www/${PREFIX}KQVerInfo_New.ver"
}

# Starts the launcher in folder dir in the background; its pid goes to launchers
# and to LAUNCHER.
start_launcher() {
  local dir="$1" log="$work/launcher-${#launchers[@]}.log"
  (cd "$dir" && exec "$run" "$dir/KQAutoPatch.exe") >"$log" 2>&1 &
  LAUNCHER=$!
  launchers+=("$LAUNCHER")
}

# Waits for process pid to end; 0 and its status in STATUS when it did within the
# seconds given.
wait_exit() {
  local pid="$1" seconds="$2" i
  for ((i = 0; i < seconds * 10; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      STATUS=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Waits until the start button of the first launcher window is enabled.
wait_ready() {
  local seconds="${1:-90}" i
  for ((i = 0; i < seconds * 2; i++)); do
    [ "$(drive state "$TITLE" 1000 2>/dev/null)" = "enabled=1 visible=1 checked=0" ] && return 0
    sleep 0.5
  done
  return 1
}

# The message box's text, empty when no box appears within ms.
box_text() {
  drive wait "$BOX" "${1:-20000}" >/dev/null 2>&1 || return 0
  texts "$BOX" | awk '$1 != 1 && $1 != 2 { sub(/^-?[0-9]+ /, ""); if ($0 != "") print }'
}

press_box_ok() { drive click "$BOX" 1 >/dev/null || drive click "$BOX" 2 >/dev/null; }

# Asks every launcher window to close (Escape), then waits for the processes.
close_launchers() {
  local i
  for i in 1 2 3 4 5 6; do
    drive gone "$TITLE" 500 >/dev/null 2>&1 && break
    drive key "$TITLE" escape >/dev/null 2>&1
    sleep 1
  done
}

cleanup() {
  close_launchers
  local pid
  for pid in "${launchers[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
      pkill -P "$pid" 2>/dev/null
      kill "$pid" 2>/dev/null
    fi
  done
  if [ -n "$server_state" ]; then
    python3 "$source_dir/tests/servers/servers.py" stop "$server_state" >/dev/null 2>&1
  fi
  if [ -n "${KQ_XVFB_PID:-}" ]; then stop_xvfb; fi
}

begin_scenario() {
  rm -rf "$work"
  mkdir -p "$work"
  if [ -z "${DISPLAY:-}" ]; then
    source "$source_dir/scripts/xvfb.sh"
    start_xvfb || fail "no display"
  fi
  trap cleanup EXIT
}

# The option file: six numbers, the mark first, no line end.
check_option_file() {
  local file="$1/AutopatchOption.opt"
  [ -f "$file" ] || fail "no option file"
  [ "$(tail -c 1 "$file" | od -An -c | tr -d ' ')" != '\n' ] || fail "the option file ends with a line feed"
  read -r mark windowed width height bits rate rest <"$file"
  [ "$mark" = "15050301" ] || fail "option file mark: $(cat "$file")"
  [ -n "$rate" ] && [ -z "${rest:-}" ] || fail "option file is not six numbers: $(cat "$file")"
  echo "option file: $(cat "$file")"
}

# A game folder at 100, a release of 101 with an extra file of size bytes, served at
# rate bytes a second; the launcher started and its download under way.
start_slow_download() {
  local game="$1" size="$2" rate="$3" i
  make_game "$game" 100
  make_version "$work/v100" 100
  make_version "$work/v101" 101
  head -c "$size" /dev/urandom >"$work/v101/Data/big.bin"
  serve --limit-rate "$rate"
  publish "$work/v101" "$work/v100"
  start_launcher "$game"
  drive wait "$TITLE" 30000 >/dev/null || fail "no launcher window"
  for i in $(seq 1 60); do
    texts "$TITLE" | grep -q ' MB / ' && return 0
    sleep 0.2
  done
  fail "no download text: $(texts "$TITLE")"
}

# The stand-in client's log in game holds exactly one start.
expect_one_client_start() {
  local game="$1" i
  for i in $(seq 1 50); do [ -s "$game/KQClient-Connect.log" ] && break; sleep 0.1; done
  [ "$(wc -l <"$game/KQClient-Connect.log" 2>/dev/null)" = 1 ] ||
    fail "the client was not started exactly once: $(cat "$game/KQClient-Connect.log" 2>/dev/null)"
}
