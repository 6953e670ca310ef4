#!/usr/bin/env bash
# The launcher end to end, one scenario per run:
#   scenarios.sh BUILD_DIR PORT WORK SCENARIO
# Scenarios: patch_and_start, enter_during_patching, escape_during_download,
# error_codes, posted_errors, second_instance, four_folders, missing_language,
# broken_skin, self_update, escape_during_authpatch, escape_during_record_stall,
# finisher_after_error_box, graphics_module_update.
build="$(cd "$1" && pwd)"
port="$2"
work="$3"
scenario="$4"
source "$(dirname "$0")/lib.sh"

# Version 100 patched to 101 from a release; Enter starts the client exactly once
# with the token, in the game folder, and the launcher ends.
patch_and_start() {
  local game="$work/game"
  make_game "$game" 100
  make_version "$work/v100" 100
  make_version "$work/v101" 101
  serve
  publish "$work/v101" "$work/v100"
  start_launcher "$game"
  drive wait "$TITLE" 30000 >/dev/null || fail "no launcher window: $(cat "$work"/launcher-0.log)"
  wait_ready 90 || fail "the start button never became enabled: $(texts "$TITLE")"
  local shown
  shown="$(texts "$TITLE")"
  echo "$shown" | grep -q "^1007 $(version_string 101)\$" || fail "version line does not show 101: $shown"
  [ "$(head -c 12 "$game/KQVerInfo.ver")" = "$(version_string 101)" ] || fail "version file not replaced"
  [ ! -e "$game/3DData" ] || fail "staging folder left"
  [ ! -e "$game/KQClient-Connect.log" ] || fail "the client started before Enter"
  drive key "$TITLE" return >/dev/null || fail "kqdrive key"
  wait_exit "$LAUNCHER" 30 || fail "the launcher did not end after Enter"
  [ "$STATUS" = 0 ] || fail "launcher exit status $STATUS"
  expect_one_client_start "$game"
  local cmdline cwd
  IFS=$'\t' read -r cmdline cwd < <(tr -d '\r' <"$game/KQClient-Connect.log")
  [ "$cmdline" = " vqtplmsozeb" ] || fail "client command line [$cmdline]"
  case "$cwd" in *\\game) ;; *) fail "client current folder $cwd" ;; esac
  check_option_file "$game"
  echo "OK: patched 100 to 101, Enter started the client once and the launcher ended"
}

# Enter while the start button is still disabled does nothing and does not use up
# the one launch: once patched, Enter starts the client exactly once.
enter_during_patching() {
  local game="$work/game"
  start_slow_download "$game" 3000000 1000000
  drive key "$TITLE" return >/dev/null || fail "kqdrive key"
  wait_ready 90 || fail "the launcher did not get ready after Enter during the download"
  [ ! -e "$game/KQClient-Connect.log" ] || fail "Enter during patching started the client"
  drive key "$TITLE" return >/dev/null || fail "kqdrive key"
  wait_exit "$LAUNCHER" 30 || fail "the launcher did not end after Enter"
  expect_one_client_start "$game"
  echo "OK: Enter during patching was ignored; Enter when ready started the client once"
}

# A slow download; Escape stops the engine, waits for it and writes the options;
# the game folder keeps its version.
escape_during_download() {
  local game="$work/game"
  start_slow_download "$game" 6000000 150000
  drive key "$TITLE" escape >/dev/null || fail "kqdrive key"
  wait_exit "$LAUNCHER" 20 || fail "the launcher did not end after Escape"
  [ "$STATUS" = 0 ] || fail "launcher exit status $STATUS"
  check_option_file "$game"
  [ "$(head -c 12 "$game/KQVerInfo.ver")" = "$(version_string 100)" ] || fail "version changed"
  [ ! -e "$game/Data/big.bin" ] || fail "the cancelled archive was unpacked"
  [ ! -e "$game/KQClient-Connect.log" ] || fail "the client started"
  echo "OK: Escape during the download ended the launcher and wrote the options"
}

# One real failure per error code; the box shows the code's text and the launcher
# closes when it is confirmed.
expect_error_box() {
  local name="$1" game="$2" expected="$3" text
  start_launcher "$game"
  text="$(box_text 60000)"
  [ "$text" = "$expected" ] || fail "$name: box text [$text], expected [$expected]"
  press_box_ok
  wait_exit "$LAUNCHER" 20 || fail "$name: the launcher did not end after the box"
  [ "$STATUS" = 0 ] || fail "$name: exit status $STATUS"
  echo "OK: $name shows [$expected]"
}

error_line() { sed -n "$(($1 + 1))p" "$work/errors.txt" | tr -d '\r'; }

error_codes() {
  make_version "$work/v100" 100
  make_version "$work/v101" 101
  serve
  publish "$work/v101" "$work/v100"
  local good="$work/release/ClientPatchFiles_ZV"
  python3 "$source_dir/sample/make-skin.py" "$work/skin" >/dev/null
  cp "$work/skin/Image/Autopatch/KR/ErrorMsg.txt" "$work/errors.txt"

  make_game "$work/g1" 100
  rm "$work/g1/KQVerInfo.ver"
  expect_error_box "PATCH_ERR_READ_VERSION" "$work/g1" "$(error_line 1)"

  make_game "$work/g2" 100
  printf 'KQZX00000101 00000000' >"$www/${PREFIX}KQVerInfo_New.ver"
  expect_error_box "PATCH_ERR_SERVER_VERSION" "$work/g2" "$(error_line 2)"

  make_game "$work/g3" 100
  write_record 101 0
  rm -f "$www"/*.kqp
  expect_error_box "PATCH_ERR_DOWNLOAD" "$work/g3" "$(error_line 3)"

  make_game "$work/g4" 100
  head -c 5000 /dev/urandom >"$www/$(version_string 100).kqp"
  expect_error_box "PATCH_ERR_EXTRACT" "$work/g4" "$(error_line 4)"

  make_game "$work/g5" 100
  cp "$good"/* "$www/"
  echo "CommitPack" >"$work/g5/NorvStandin.fail"
  expect_error_box "PATCH_ERR_PACK" "$work/g5" "$(error_line 5)"

  make_game "$work/g6" 100
  python3 - "$www/$(version_string 100).kqp" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("Data/readme.txt", "an archive without the version record\n")
PY
  expect_error_box "PATCH_ERR_WRITE_VERSION" "$work/g6" "Fail to write the version file."

  make_game "$work/g7" 100
  write_record 300 200
  expect_error_box "PATCH_ERR_TOO_OLD" "$work/g7" "$(error_line 6)"
}

# Codes that no loopback run produces here (a lost connection inside the retry
# loop, a failed start of the engine, a code the window does not know) posted to a
# waiting launcher: the box shows the text of the code's table entry.
posted_errors() {
  make_version "$work/v100" 100
  serve
  publish "$work/v100"
  python3 "$source_dir/sample/make-skin.py" "$work/skin" >/dev/null
  cp "$work/skin/Image/Autopatch/KR/ErrorMsg.txt" "$work/errors.txt"
  local code expected
  for code in 0 8 9; do
    case "$code" in
      0) expected="$(error_line 0)" ;;
      8) expected="Initialize  Error." ;;
      9) expected="Unknown Error" ;;
    esac
    make_game "$work/g$code" 100
    start_launcher "$work/g$code"
    wait_ready 60 || fail "code $code: the launcher did not get ready"
    drive post "$TITLE" "$WM_PATCH_ERROR" "$code" >/dev/null || fail "kqdrive post"
    local text
    text="$(box_text 20000)"
    [ "$text" = "$expected" ] || fail "code $code: box text [$text], expected [$expected]"
    press_box_ok
    wait_exit "$LAUNCHER" 20 || fail "code $code: the launcher did not end"
    echo "OK: code $code shows [$expected]"
  done
}

# A second launcher from the same folder ends silently; the first keeps running.
second_instance() {
  make_version "$work/v100" 100
  serve
  publish "$work/v100"
  make_game "$work/game" 100
  start_launcher "$work/game"
  local first="$LAUNCHER"
  wait_ready 60 || fail "the first launcher did not get ready"
  start_launcher "$work/game"
  wait_exit "$LAUNCHER" 20 || fail "the second launcher did not end"
  [ "$STATUS" = 0 ] || fail "second launcher exit status $STATUS"
  drive wait "$BOX" 500 >/dev/null 2>&1 && fail "the second launcher showed a box"
  kill -0 "$first" 2>/dev/null || fail "the first launcher ended"
  wait_ready 5 || fail "the first launcher is no longer ready"
  echo "OK: the second launcher from the same folder ended silently"
}

# Three launchers run from three folders; a fourth ends silently and leaves no
# folder mutex: once one of the three has ended, the fourth folder starts normally.
four_folders() {
  make_version "$work/v100" 100
  serve
  publish "$work/v100"
  local n pids=()
  for n in 1 2 3 4; do make_game "$work/g$n" 100; done
  for n in 1 2 3; do
    start_launcher "$work/g$n"
    pids+=("$LAUNCHER")
    wait_ready 60 || fail "launcher $n did not get ready"
  done
  start_launcher "$work/g4"
  wait_exit "$LAUNCHER" 20 || fail "the fourth launcher did not end"
  [ "$STATUS" = 0 ] || fail "fourth launcher exit status $STATUS"
  for n in 0 1 2; do kill -0 "${pids[$n]}" 2>/dev/null || fail "launcher $((n + 1)) ended"; done
  drive key "$TITLE" escape >/dev/null
  local ended=""
  for n in $(seq 1 100); do
    for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null || ended=1; done
    [ -n "$ended" ] && break
    sleep 0.2
  done
  [ -n "$ended" ] || fail "no launcher ended on Escape"
  start_launcher "$work/g4"
  sleep 8
  kill -0 "$LAUNCHER" 2>/dev/null || fail "the fourth folder's launcher did not start after one ended"
  echo "OK: a fourth launcher ended silently and its folder started later"
}

# Without the language folder: exactly the two boxes, then the launcher ends.
missing_language() {
  make_game "$work/game" 100
  rm -rf "$work/game/Image"
  start_launcher "$work/game"
  local text
  text="$(box_text 30000)"
  [ "$text" = "Failed to access local path" ] || fail "first box [$text]"
  press_box_ok
  drive gone "$BOX" 5000 >/dev/null 2>&1
  text="$(box_text 10000)"
  [ "$text" = "Failed to load skin info." ] || fail "second box [$text]"
  press_box_ok
  wait_exit "$LAUNCHER" 20 || fail "the launcher did not end after the boxes"
  [ "$STATUS" = 0 ] || fail "exit status $STATUS"
  drive wait "$TITLE" 500 >/dev/null 2>&1 && fail "a main window appeared"
  echo "OK: a missing language folder gives the two boxes and ends"
}

# A skin whose main window lacks a component, or a script without the main window:
# the "Failed to load skin info." box, then the launcher ends.
broken_skin() {
  local case script
  for case in no_resolution no_main; do
    make_game "$work/$case" 100
    script="$work/$case/Image/Autopatch/KR/skin.txt"
    case "$case" in
      no_resolution) sed -i "s/combobox resolution/combobox resolution2/" "$script" ;;
      no_main) sed -i "s/^dialog main/dialog other/" "$script" ;;
    esac
    grep -q "resolution2\\|^dialog other" "$script" || fail "$case: the skin script was not changed"
    start_launcher "$work/$case"
    local text
    text="$(box_text 30000)"
    [ "$text" = "Failed to load skin info." ] || fail "$case: box [$text]"
    press_box_ok
    wait_exit "$LAUNCHER" 20 || fail "$case: the launcher did not end"
    [ "$STATUS" = 0 ] || fail "$case: exit status $STATUS"
    echo "OK: $case gives the skin box and ends"
  done
}

# A release that brings a new launcher: the launcher hands over to KQExecuter, which
# swaps the new launcher in and restarts it; it finds the folder up to date.
self_update() {
  local game="$work/game"
  make_game "$game" 100
  make_version "$work/v100" 100
  make_version "$work/v101" 101
  cp "$bin/loopback/KQAutoPatch.exe" "$work/v100/KQAutoPatch.exe"
  # The same program with a marker behind its image: a different file that runs.
  { cat "$bin/loopback/KQAutoPatch.exe"; printf 'KQ-UPDATED-LAUNCHER'; } >"$work/v101/KQAutoPatch.exe"
  serve
  publish "$work/v101" "$work/v100"
  start_launcher "$game"
  wait_exit "$LAUNCHER" 60 || fail "the first launcher did not hand over"
  local i swapped=""
  for i in $(seq 1 120); do
    if cmp -s "$game/KQAutoPatch.exe" "$work/v101/KQAutoPatch.exe"; then swapped=1; break; fi
    sleep 0.5
  done
  [ -n "$swapped" ] || fail "the new launcher was not swapped in"
  drive wait "$TITLE" 30000 >/dev/null || fail "the launcher was not restarted"
  wait_ready 60 || fail "the restarted launcher did not get ready"
  [ ! -e "$game/KQAutoPatch.new" ] || fail "KQAutoPatch.new left"
  [ "$(head -c 12 "$game/KQVerInfo.ver")" = "$(version_string 101)" ] || fail "version file not replaced"
  close_launchers
  drive gone "$TITLE" 20000 >/dev/null || fail "the restarted launcher did not close"
  echo "OK: the new launcher was swapped in and restarted and found the folder up to date"
}

# Escape while the worker waits for a running "KQAuthPatch.exe": the window is gone
# within 2 seconds, long before that program ends, and no record was fetched.
escape_during_authpatch() {
  local game="$work/game"
  make_game "$game" 100
  make_version "$work/v100" 100
  serve
  publish "$work/v100"
  cp "$bin/KQAuthPatch.exe" "$game/" || fail "copying the external patcher stand-in"
  (cd "$game" && exec "$run" "$game/KQAuthPatch.exe" 60000) >"$work/authpatch.log" 2>&1 &
  local authpatch=$!
  launchers+=("$authpatch")
  sleep 2
  start_launcher "$game"
  drive wait "$TITLE" 30000 >/dev/null || fail "no launcher window"
  sleep 2
  drive key "$TITLE" escape >/dev/null || fail "kqdrive key"
  drive gone "$TITLE" 2000 >/dev/null || fail "the window was still there 2 s after Escape"
  wait_exit "$LAUNCHER" 10 || fail "the launcher did not end after Escape"
  kill -0 "$authpatch" 2>/dev/null || fail "the external patcher ended early; the wait showed nothing"
  grep -q "KQVerInfo_New.ver" "$server_state/nginx/access.log" && fail "the cancelled run fetched the record"
  echo "OK: Escape while KQAuthPatch.exe ran closed the window within 2 s"
}

# Escape while the server holds the record request unanswered: the window is gone
# within 2 seconds, and no reconnection or second fetch follows.
escape_during_record_stall() {
  local game="$work/game" i
  make_game "$game" 100
  printf 'HOLD00000100' >"$game/KQVerInfo.ver"
  server_state="$work/server"
  python3 "$source_dir/tests/servers/servers.py" start "$server_state" --fault-port "$port" >/dev/null ||
    fail "the test servers did not start"
  local control="http://127.0.0.1:$port/_control"
  fetch() { python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1]).read().decode(), end="")' "$1"; }
  start_launcher "$game"
  drive wait "$TITLE" 30000 >/dev/null || fail "no launcher window"
  for i in $(seq 1 100); do
    [ "$(fetch "$control/held")" = 1 ] && break
    sleep 0.2
  done
  [ "$(fetch "$control/held")" = 1 ] || fail "the record request never reached the server"
  drive key "$TITLE" escape >/dev/null || fail "kqdrive key"
  drive gone "$TITLE" 2000 >/dev/null || fail "the window was still there 2 s after Escape"
  wait_exit "$LAUNCHER" 10 || fail "the launcher did not end after Escape"
  fetch "$control/release" >/dev/null
  sleep 2
  local requests
  requests="$(fetch "$control/requests?HOLDKQVerInfo" | wc -l)"
  [ "$requests" = 1 ] || fail "the cancelled run fetched the record $requests times"
  echo "OK: Escape during a held record request closed the window within 2 s and fetched nothing more"
}

# A patch that delivers a new launcher and ends with an error: the old launcher hands
# over and shows its error box. The finisher waits, longer than its replacement
# attempts, while that box is open; once the player confirms it and the launcher
# has ended, the new launcher is swapped in and started.
finisher_after_error_box() {
  local game="$work/game" i
  make_game "$game" 100
  make_version "$work/v100" 100
  make_version "$work/v101" 101
  cp "$bin/loopback/KQAutoPatch.exe" "$work/v100/KQAutoPatch.exe"
  { cat "$bin/loopback/KQAutoPatch.exe"; printf 'KQ-UPDATED-LAUNCHER'; } >"$work/v101/KQAutoPatch.exe"
  serve
  publish "$work/v101" "$work/v100"
  echo "CommitPack" >"$game/NorvStandin.fail"
  start_launcher "$game"
  local text
  text="$(box_text 120000)"
  [ -n "$text" ] || fail "no error box; the folder holds: $(ls "$game" | tr '\n' ' ')"
  echo "box: $text"
  sleep 25
  kill -0 "$LAUNCHER" 2>/dev/null || fail "the old launcher ended with its box open"
  cmp -s "$game/KQAutoPatch.exe" "$work/v100/KQAutoPatch.exe" || fail "swapped while the old launcher ran"
  rm -f "$game/NorvStandin.fail"
  press_box_ok
  wait_exit "$LAUNCHER" 20 || fail "the old launcher did not end after the box"
  local swapped=""
  for i in $(seq 1 60); do
    if cmp -s "$game/KQAutoPatch.exe" "$work/v101/KQAutoPatch.exe"; then swapped=1; break; fi
    sleep 0.5
  done
  [ -n "$swapped" ] || fail "the new launcher was not swapped in after the box"
  drive wait "$TITLE" 30000 >/dev/null || fail "the new launcher was not started"
  wait_ready 60 || fail "the new launcher did not get ready"
  [ ! -e "$game/KQAutoPatch.new" ] || fail "KQAutoPatch.new left"
  close_launchers
  drive gone "$TITLE" 20000 >/dev/null || fail "the new launcher did not close"
  echo "OK: the finisher waited for the error box, then swapped in and started the new launcher"
}

# A release that changes the graphics module and no pack: the game folder has no
# staging folder and the archive brings none, so no pack update copies the module.
# The launcher hands the new build for this processor to KQExecuter, which puts it
# in place as "NorvGFunc.dll" and restarts the launcher.
graphics_module_update() {
  local game="$work/game" build
  make_game "$game" 100
  rm -rf "$game/3DData"
  cp "$bin/NorvGFuncSSE.dll" "$game/NorvGFunc.dll"
  make_version "$work/v100" 100
  make_version "$work/v101" 101
  rm -rf "$work/v101/3DData"
  cp -r "$work/v100/3DData" "$work/v101/3DData"
  for build in NorvGFuncSSE NorvGFuncN; do
    cp "$bin/$build.dll" "$work/v100/$build.dll"
    # The same module with a marker behind its image: a new build that still loads.
    { cat "$bin/$build.dll"; printf 'KQ-NEW-%s' "$build"; } >"$work/v101/$build.dll"
  done
  serve
  publish "$work/v101" "$work/v100"
  start_launcher "$game"
  wait_exit "$LAUNCHER" 60 || fail "the launcher did not hand over to KQExecuter: $(texts "$TITLE")"
  local i swapped=""
  for i in $(seq 1 120); do
    if cmp -s "$game/NorvGFunc.dll" "$work/v101/NorvGFuncSSE.dll"; then swapped=1; break; fi
    sleep 0.5
  done
  [ -n "$swapped" ] || fail "NorvGFunc.dll is not the new build for this processor (SSE)"
  drive wait "$TITLE" 30000 >/dev/null || fail "the launcher was not restarted"
  wait_ready 60 || fail "the restarted launcher did not get ready"
  [ ! -e "$game/NorvGFunc.new" ] || fail "NorvGFunc.new left"
  cmp -s "$game/NorvGFuncN.dll" "$work/v101/NorvGFuncN.dll" || fail "NorvGFuncN.dll is not the new build"
  [ "$(head -c 12 "$game/KQVerInfo.ver")" = "$(version_string 101)" ] || fail "version file not replaced"
  cmp -s "$game/NorvGFunc.dll" "$work/v101/NorvGFuncSSE.dll" || fail "the restarted launcher changed NorvGFunc.dll"
  close_launchers
  drive gone "$TITLE" 20000 >/dev/null || fail "the restarted launcher did not close"
  echo "OK: the new graphics module for this processor is NorvGFunc.dll after the patch, through KQExecuter"
}

begin_scenario
case "$scenario" in
  patch_and_start | enter_during_patching | escape_during_download | error_codes | posted_errors | \
    second_instance | four_folders | missing_language | broken_skin | self_update | escape_during_authpatch | \
    escape_during_record_stall | finisher_after_error_box | graphics_module_update) "$scenario" ;;
  *) fail "unknown scenario $scenario" ;;
esac
