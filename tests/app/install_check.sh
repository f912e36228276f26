#!/usr/bin/env bash
# Installs the build into a DESTDIR, checks the files a desktop program
# needs, and starts the installed program offscreen with an empty home: it
# must come up without any set-up, write nothing into its installation
# folder, and save a picture of its main window; the installed converter
# must read instrument files through the installed family libraries.
#   install_check.sh BUILD_DIR WORK_DIR SOURCE_DIR "FAMILY LIBRARIES"
set -euo pipefail
build=$1
work=$2
source=$3
families=${4//;/ }
rm -rf "$work"
mkdir -p "$work/home"
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log"
root="$work/root/usr"
for f in bin/TransferVeltro bin/veltro-convert lib/transferveltro/TransferVeltro lib/transferveltro/libLANGDES.so \
         lib/transferveltro/libLANGENG.so lib/transferveltro/libWGSXYZ.so lib/transferveltro/libTavrin.so \
         lib/transferveltro/DXF/DXF.DEF share/applications/transferveltro.desktop \
         share/icons/hicolor/scalable/apps/transferveltro.svg; do
  [ -e "$root/$f" ] || { echo "missing: $f"; exit 1; }
done
for family in $families; do
  [ -e "$root/lib/transferveltro/lib$family.so" ] || { echo "missing instrument library: $family"; exit 1; }
done
grep -q '^Exec=TransferVeltro' "$root/share/applications/transferveltro.desktop"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$root/share/applications/transferveltro.desktop"; fi

before=$(cd "$root/lib/transferveltro" && find . | sort)
env -i PATH=/usr/bin:/bin HOME="$work/home" QT_QPA_PLATFORM=offscreen \
  "$root/bin/TransferVeltro" --screenshot "$work/main.png"
[ -s "$work/main.png" ] || { echo "no screenshot"; exit 1; }
after=$(cd "$root/lib/transferveltro" && find . | sort)
[ "$before" = "$after" ] || { echo "the program wrote into its installation folder"; diff <(echo "$before") <(echo "$after"); exit 1; }
[ -f "$work/home/.config/VELTRO Marten/Surtrans.ini" ] || { echo "no settings written"; exit 1; }
[ -f "$work/home/.local/share/VELTRO Marten/Surtrans/DXF/DXF.DEF" ] || { echo "DXF definitions not copied"; exit 1; }
# The installed converter does the main job headless.
env -i PATH=/usr/bin:/bin HOME="$work/home" "$root/bin/veltro-convert" --list >"$work/list.txt"
grep -q ProMark "$work/list.txt"
# Receives through the installed family libraries give the corpus output.
for sample in gsi/messung-gsi16.gsi sdr/job-sdr33.sdr; do
  out="$work/$(basename "$sample").asc"
  env -i PATH=/usr/bin:/bin HOME="$work/home" "$root/bin/veltro-convert" --quiet "$source/tests/data/$sample" "$out"
  cmp "$out" "$source/tests/data/$sample.asc" || { echo "installed converter: $sample differs"; exit 1; }
done
echo "installed and started"
