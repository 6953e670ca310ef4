#!/usr/bin/env bash
# The main job on sample data: installs what is missing, builds every target, makes
# the sample game folder and skin, checks the skin with the launcher's reader, packs
# the game folder into a patch archive with the publisher's tool, checks the archive,
# and unpacks it with the Windows build under Wine, the way the launcher will.
# Prints where the results are.
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
echo
echo "archive:          $out/KQZV00000000.kqp ($(stat -c %s "$out/KQZV00000000.kqp") bytes)"
echo "sample folder:    $out/game"
echo "unpacked (Wine):  $out/unpacked"
echo "sample skin:      $out/skin/Image/Autopatch/KR"
