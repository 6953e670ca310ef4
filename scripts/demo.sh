#!/usr/bin/env bash
# The main job on sample data: installs what is missing, builds every target, makes
# the sample game folder and skin, checks the skin with the launcher's reader, packs
# the game folder into a patch archive with the publisher's tool, checks the archive,
# unpacks it with the Windows build under Wine, then serves a patch to the next
# version from nginx on loopback and lets kqpatch.exe (the launcher's engine without
# the window) patch a copy of the folder under Wine. Prints where the results are.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out="$root/demo-out"
JOBS="${KQ_JOBS:-$(nproc)}"

bash scripts/setup-debian.sh
for preset in native win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$JOBS" >/dev/null
done

rm -rf "$out"
mkdir -p "$out"
python3 sample/make-game-folder.py "$out/game" --version 100
python3 sample/make-skin.py "$out/skin"

echo "== checking the sample skin with the launcher's own skin reader"
"$root/build/native/bin/kqskin" check "$out/skin/Image/Autopatch/KR"

kqpack="$root/build/native/bin/kqpack"
echo "== packing the sample game folder"
"$kqpack" create "$out/KQZV00000000.kqp" "$out/game"
echo "== checking every entry's CRC"
"$kqpack" test "$out/KQZV00000000.kqp"
echo "== unpacking with kqpack.exe under Wine"
(cd "$out" && "$root/build/win64/wine-run.sh" "$root/build/win64/bin/kqpack.exe" extract KQZV00000000.kqp unpacked)
diff -r "$out/game" "$out/unpacked"
echo "== the unpacked folder matches the original byte for byte"

echo "== patching the sample folder from version 100 to 101 with kqpatch.exe under Wine"
# The server folder: the version record (current version 101, base 0) and the full
# archive of version 00000000, which holds version 101 and the new record at its root.
# The archive named after version 100 is absent, so nginx answers with its HTML page
# and the engine falls back to the full archive, as it does for any client.
python3 sample/make-game-folder.py "$out/v101" --version 101
rm "$out/v101/KQVerInfo.ver"
printf 'KQZV00000101 00000000' > "$out/v101/KQZVKQVerInfo_New.ver"
state="$out/server"
mkdir -p "$state/www/ClientPatchFiles_ZV"
"$kqpack" create "$state/www/ClientPatchFiles_ZV/KQZV00000000.kqp" "$out/v101"
cp "$out/v101/KQZVKQVerInfo_New.ver" "$state/www/ClientPatchFiles_ZV/"
python3 tests/servers/servers.py start "$state" >/dev/null
trap 'python3 tests/servers/servers.py stop "$state" >/dev/null 2>&1 || true' EXIT
port=$(sed -n 's/^nginx_port=//p' "$state/servers.txt")

cp -r "$out/game" "$out/patched"
for f in NorvExecutiveForQel.dll NorvGFuncSSE.dll NorvGFuncN.dll; do
  cp "$root/build/win64/bin/$f" "$out/patched/"
done
(cd "$out/patched" && "$root/build/win64/wine-run.sh" "$root/build/win64/bin/kqpatch.exe" --host 127.0.0.1 --port "$port")
echo "== version file now: $(head -c 12 "$out/patched/KQVerInfo.ver")"
[ "$(head -c 12 "$out/patched/KQVerInfo.ver")" = "KQZV00000101" ]
cmp "$out/v101/Data/Text/notice.txt" "$out/patched/Data/Text/notice.txt"
[ ! -e "$out/patched/3DData" ] || { echo "the staging folder was not folded into packs" >&2; exit 1; }
echo "== a second run finds the folder up to date"
(cd "$out/patched" && "$root/build/win64/wine-run.sh" "$root/build/win64/bin/kqpatch.exe" --host 127.0.0.1 --port "$port")

echo
echo "archive:          $out/KQZV00000000.kqp ($(stat -c %s "$out/KQZV00000000.kqp") bytes)"
echo "sample folder:    $out/game"
echo "unpacked (Wine):  $out/unpacked"
echo "sample skin:      $out/skin/Image/Autopatch/KR"
echo "server folder:    $state/www/ClientPatchFiles_ZV"
echo "patched folder:   $out/patched (packs: $(cd "$out/patched" && find . -name '*.pak' | sort | tr '\n' ' '))"
