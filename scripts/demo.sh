#!/usr/bin/env bash
# The main job on sample data: installs what is missing, builds every target, makes
# the sample game folder at version 100 and the publisher's version folders 100 and
# 101, makes a release key with `kqpack keygen`, builds the launcher with its public
# half (KQ_RELEASE_PUBLIC_KEY), writes the signed server folder with
# `kqpack release --sign`, serves it with nginx on loopback, shows an archive with a
# flipped byte refused by kqpatch built with the same key (then restores it), and runs
# the launcher KQAutoPatch.exe under Wine (on a private Xvfb display when there is
# none) in the game folder. The launcher patches the folder to
# 101; the demo saves a screenshot of the window at each step, presses Start, and
# shows that the stand-in game client was started with its token. Then the players'
# 32-bit build of the engine (kqpatch.exe, win32) patches a copy of the folder at 100
# from the same server. It ends by printing where the screenshots and the patched
# folders are.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out="$root/demo-out"
JOBS="${KQ_JOBS:-$(nproc)}"

bash scripts/setup-debian.sh
mkdir -p build
for preset in native win64 win32; do
  echo "== building $preset"
  log="build/demo-build-$preset.log"
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset" -j "$JOBS"; } >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "the $preset build failed; the whole output is in $log" >&2
    exit 1
  fi
done

build="$root/build/win64"
bin="$build/bin"
# The launcher and kqpatch built with the demo's release key (made below).
signed="$root/build/win64-signed"
run="$build/wine-run.sh"
port=$(sed -n 's/^KQ_LOOPBACK_PORT:STRING=//p' "$build/CMakeCache.txt")
kqpack="$root/build/native/bin/kqpack"
title="KQ Online Launcher"
game="$out/game"
shots="$out/screenshots"
state="$out/server"
launcher=""

rm -rf "$out"
mkdir -p "$out" "$shots"

stop_all() {
  if [ -n "$launcher" ] && kill -0 "$launcher" 2>/dev/null; then
    "$run" "$bin/kqdrive.exe" key "$title" escape >/dev/null 2>&1 || true
    sleep 2
    kill "$launcher" 2>/dev/null || true
  fi
  python3 tests/servers/servers.py stop "$state" >/dev/null 2>&1 || true
  if [ -n "${KQ_XVFB_PID:-}" ]; then stop_xvfb; fi
}
trap stop_all EXIT

echo "== the player's game folder at version 100, with the launcher and the sample skin"
python3 sample/make-game-folder.py "$game" --version 100
python3 sample/make-skin.py "$game"
"$root/build/native/bin/kqskin" check "$game/Image/Autopatch/KR"
# At an earlier start the player chose to play in a window (the options the launcher keeps).
printf '15050301 1 1024 710 32 60' >"$game/AutopatchOption.opt"
# The update finisher, and the stand-ins for the game client and the game engine's
# modules; the launcher, built with the release key, follows once it is built.
cp "$bin/KQExecuter.exe" "$bin/KQClient-Connect.exe" \
   "$bin/NorvExecutiveForQel.dll" "$bin/NorvGFuncSSE.dll" "$bin/NorvGFuncN.dll" "$game/"

echo "== the publisher's versions 100 and 101, and the server folder made by kqpack release"
python3 sample/make-game-folder.py "$out/versions/100" --version 100
python3 sample/make-game-folder.py "$out/versions/101" --version 101
# A larger movie in 101, so the download takes a few seconds to watch.
head -c 4000000 /dev/urandom >"$out/versions/101/Data/intro.bik"

echo "== the publisher's release key, and the launcher built with its public half"
key=$("$kqpack" keygen "$out/release.key")
echo "   public key $key"
log="build/demo-build-signed.log"
if ! { cmake --preset win64 -B "$signed" -DKQ_BUILD_TESTS=OFF -DKQ_RELEASE_PUBLIC_KEY="$key" &&
       cmake --build "$signed" -j "$JOBS" --target KQAutoPatch_loopback kqpatch; } >"$log" 2>&1; then
  tail -n 40 "$log" >&2
  echo "the signed build failed; the whole output is in $log" >&2
  exit 1
fi

"$kqpack" release --sign "$out/release.key" "$out/release" "$out/versions/101" "$out/versions/100"
ls -l "$out/release/ClientPatchFiles_ZV"
"$kqpack" verify --key "$key" "$out/release" --from "$out/versions/101" "$out/versions/100"

echo "== nginx on 127.0.0.1:$port (the port built into the loopback launcher), 1 MB/s"
python3 tests/servers/servers.py start "$state" --nginx-port "$port" --limit-rate 1000000
rm -rf "$state/www/ClientPatchFiles_ZV"
cp -r "$out/release/ClientPatchFiles_ZV" "$state/www/"

# The display comes before the first Windows program of the Wine session: a session
# started without one gives its later windows none either.
if [ -z "${DISPLAY:-}" ]; then
  source scripts/xvfb.sh
  start_xvfb
  echo "== no display: the launcher shows on a private Xvfb server ($DISPLAY)"
fi

echo "== a tampered archive: kqpatch built with the key refuses it, and the folder stays at 100"
served="$state/www/ClientPatchFiles_ZV/KQZV00000100.kqp"
cp "$served" "$out/KQZV00000100.kqp.good"
python3 -c 'import sys; f = open(sys.argv[1], "r+b"); f.seek(1000); b = f.read(1); f.seek(1000); f.write(bytes([b[0] ^ 1]))' "$served"
tampered="$out/game-tampered"
python3 sample/make-game-folder.py "$tampered" --version 100 >/dev/null
cp "$signed/bin/kqpatch.exe" "$bin/NorvExecutiveForQel.dll" "$bin/NorvGFuncSSE.dll" "$bin/NorvGFuncN.dll" "$tampered/"
status=0
(cd "$tampered" && "$run" "$tampered/kqpatch.exe" --host 127.0.0.1 --port "$port") >"$out/kqpatch-tampered.log" 2>&1 ||
  status=$?
echo "   kqpatch.exe ended with status $status: $(tr -d '\r' <"$out/kqpatch-tampered.log" | tail -n 1)"
echo "   patch log: $(tr -d '\r' <"$tampered/ZVPatchLog.txt")"
echo "   version file: $(head -c 12 "$tampered/KQVerInfo.ver")"
[ "$status" = 13 ] && [ "$(head -c 12 "$tampered/KQVerInfo.ver")" = "KQZV00000100" ] ||
  { echo "the tampered archive was not refused" >&2; exit 1; }
cp "$out/KQZV00000100.kqp.good" "$served"
echo "   the archive is restored"
cp "$signed/bin/loopback/KQAutoPatch.exe" "$game/"


drive() { "$run" "$bin/kqdrive.exe" "$@" | tr -d '\r'; }
# Saves the launcher window as NAME.png.
shoot() {
  local left top right bottom
  read -r left top right bottom < <(drive rect "$title")
  import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$shots/$1.png"
  echo "   screenshot $shots/$1.png"
}
status_text() { drive texts "$title" | awk '$1 == 1007 { sub(/^1007 /, ""); print }' | paste -sd '|'; }

echo "== starting KQAutoPatch.exe in the game folder"
(cd "$game" && exec "$run" "$game/KQAutoPatch.exe") >"$out/launcher.log" 2>&1 &
launcher=$!
drive wait "$title" 60000 >/dev/null
sleep 1
shoot 1-started
shot_download=""
for i in $(seq 1 240); do
  if [ -z "$shot_download" ] && drive texts "$title" | grep -q ' MB / '; then
    sleep 1
    shoot 2-downloading
    echo "   $(status_text)"
    shot_download=1
  fi
  [ "$(drive state "$title" 1000)" = "enabled=1 visible=1 checked=0" ] && break
  sleep 0.5
done
[ "$(drive state "$title" 1000)" = "enabled=1 visible=1 checked=0" ] || { echo "the launcher did not finish patching" >&2; exit 1; }
sleep 1
shoot 3-ready
echo "   $(status_text)"

echo "== pressing Start"
drive click "$title" 1000 >/dev/null
for i in $(seq 1 100); do kill -0 "$launcher" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$launcher" 2>/dev/null; then echo "the launcher did not end after Start" >&2; exit 1; fi
launcher=""
for i in $(seq 1 50); do [ -s "$game/KQClient-Connect.log" ] && break; sleep 0.1; done
[ -s "$game/KQClient-Connect.log" ] || { echo "the game client was not started" >&2; exit 1; }
IFS=$'\t' read -r cmdline cwd < <(tr -d '\r' <"$game/KQClient-Connect.log")
echo "   the game client was started with the command line [$cmdline] in $cwd"
[ "$cmdline" = " vqtplmsozeb" ]
echo "   version file: $(head -c 12 "$game/KQVerInfo.ver"); options: $(cat "$game/AutopatchOption.opt")"
[ "$(head -c 12 "$game/KQVerInfo.ver")" = "KQZV00000101" ]

echo "== the players' build: the 32-bit kqpatch.exe (win32, under 32-bit Wine) patches a copy of the folder at 100"
game32="$out/game-win32"
bin32="$root/build/win32/bin"
python3 sample/make-game-folder.py "$game32" --version 100
cp "$bin32/kqpatch.exe" "$bin32/NorvExecutiveForQel.dll" "$bin32/NorvGFuncSSE.dll" "$bin32/NorvGFuncN.dll" "$game32/"
status32=0
(cd "$game32" && "$root/build/win32/wine-run.sh" "$game32/kqpatch.exe" --host 127.0.0.1 --port "$port") \
  >"$out/kqpatch-win32.log" 2>&1 || status32=$?
echo "   kqpatch.exe (32-bit) ended with status $status32; version file: $(head -c 12 "$game32/KQVerInfo.ver")"
[ "$status32" -eq 0 ] && [ "$(head -c 12 "$game32/KQVerInfo.ver")" = "KQZV00000101" ] || {
  cat "$out/kqpatch-win32.log" >&2; echo "the 32-bit kqpatch.exe did not patch the folder" >&2; exit 1; }
cmp -s "$game32/Data/intro.bik" "$out/versions/101/Data/intro.bik" || { echo "the 32-bit patch left another movie" >&2; exit 1; }

echo
echo "screenshots:      $shots"
echo "patched folder:   $game (packs: $(cd "$game" && find . -maxdepth 1 -name '*.pak' | sort | tr '\n' ' '))"
echo "32-bit patch:     $game32 (packs: $(cd "$game32" && find . -maxdepth 1 -name '*.pak' | sort | tr '\n' ' '))"
echo "server folder:    $out/release/ClientPatchFiles_ZV"
