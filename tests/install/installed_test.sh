#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR (prefix /usr) and checks what a
# Debian desktop gets:
#   installed_test.sh desktop BUILD_DIR            the files, desktop entries, AppStream metadata
#   installed_test.sh programs BUILD_DIR SAMPLES   the installed programs and where they write
set -euo pipefail
part=$1 build=$2 samples=${3:-}

root=$(mktemp -d)
host_pid='' viewer_pid=''
cleanup() {
  [ -z "$viewer_pid" ] || kill "$viewer_pid" 2>/dev/null || true
  [ -z "$host_pid" ] || kill "$host_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  chmod -R u+w "$root" 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$root/dest" cmake --install "$build" --prefix /usr >/dev/null
usr="$root/dest/usr"

if [ "$part" = desktop ]; then
  for f in bin/kasanemi bin/kasanemi-cad \
           share/kasanemi/QEMTIN.dvb share/kasanemi/ReadMe.txt \
           share/applications/org.kasanemi.Viewer.desktop share/applications/org.kasanemi.Cad.desktop \
           share/metainfo/org.kasanemi.Viewer.metainfo.xml share/metainfo/org.kasanemi.Cad.metainfo.xml \
           share/icons/hicolor/scalable/apps/org.kasanemi.Viewer.svg \
           share/icons/hicolor/scalable/apps/org.kasanemi.Cad.svg \
           share/mime/packages/kasanemi.xml share/doc/kasanemi/copyright share/doc/kasanemi/LICENSE \
           share/thumbnailers/kasanemi.thumbnailer \
           share/kasanemi/dwg-converter/kasanemi-dwg-converter.mjs share/kasanemi/dwg-converter/package-lock.json \
           share/kasanemi/dwg-converter/node_modules/@mlightcad/libredwg-web/wasm/libredwg-web.wasm; do
    [ -f "$usr/$f" ] || fail "not installed: /usr/$f"
  done
  [ -x "$usr/bin/kasanemi" ] && [ -x "$usr/bin/kasanemi-cad" ] || fail "the programs are not executable"
  command -v desktop-file-validate >/dev/null || fail "desktop-file-validate missing (scripts/setup.sh installs desktop-file-utils)"
  command -v appstreamcli >/dev/null || fail "appstreamcli missing (scripts/setup.sh installs appstream)"
  desktop-file-validate "$usr"/share/applications/*.desktop || fail "desktop-file-validate"
  for f in "$usr"/share/metainfo/*.metainfo.xml; do
    appstreamcli validate --no-net "$f" || fail "appstreamcli validate $f"
  done
  # The host opens DXF and DWG drawings from the file manager, which draws
  # their pictures with it.
  grep -qx 'MimeType=image/vnd.dxf;image/vnd.dwg;' "$usr/share/applications/org.kasanemi.Cad.desktop" || fail "no DXF/DWG association"
  grep -q '<glob pattern="\*.dwg"/>' "$usr/share/mime/packages/kasanemi.xml" || fail "no .dwg glob"
  grep -qx 'Exec=kasanemi-cad --render %i %o --size %s' "$usr/share/thumbnailers/kasanemi.thumbnailer" || fail "thumbnailer Exec line"
  grep -qx 'MimeType=image/vnd.dxf;image/vnd.dwg;' "$usr/share/thumbnailers/kasanemi.thumbnailer" || fail "thumbnailer types"
  grep -qx 'Exec=kasanemi-cad %f' "$usr/share/applications/org.kasanemi.Cad.desktop" || fail "host Exec line"
  grep -q '<glob pattern="\*.dxf"/>' "$usr/share/mime/packages/kasanemi.xml" || fail "no .dxf glob"
  grep -qx 'Name\[ja\]=Kasanemi 画層ビューワ' "$usr/share/applications/org.kasanemi.Viewer.desktop" || fail "viewer name"
  echo "desktop files: ok"
  exit 0
fi

[ "$part" = programs ] || fail "unknown part $part"
sample="$samples/ezdxf_small_r13_dos932.dxf"
[ -f "$sample" ] || fail "sample drawing missing: $sample"

# Everything below runs as an installed program does: the tree is read-only
# (for root too, by its permission bits), the user's folders are fresh.
chmod -R a-w "$root/dest"
find "$root/dest" -printf '%P %s %T@\n' | sort > "$root/tree.before"
export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_CACHE_HOME="$root/cache"
export QT_QPA_PLATFORM=offscreen
unset KASANEMI_HOME
mkdir -p "$HOME"
work="$root/cwd"
mkdir -p "$work"
cd "$work"

[ "$("$usr/bin/kasanemi-cad" --version)" = "kasanemi-cad (Kasanemi) 4.00" ] || fail "kasanemi-cad --version"
[ "$("$usr/bin/kasanemi" --version)" = "kasanemi (Kasanemi) 4.00" ] || fail "kasanemi --version"
"$usr/bin/kasanemi" --help | grep -qF "$XDG_CONFIG_HOME/kasanemi/QEMTINF.ini" || fail "kasanemi --help names the settings file"
"$usr/bin/kasanemi" --help | grep -qF "$XDG_CACHE_HOME/kasanemi/LAYER" || fail "kasanemi --help names the work folder"
help_err=$("$usr/bin/kasanemi" --help 2>&1 >/dev/null)
[ -z "$help_err" ] || fail "kasanemi --help printed on stderr: $help_err"
set +e
"$usr/bin/kasanemi-cad" --no-such-option 2>/dev/null
code=$?
set -e
[ "$code" = 2 ] || fail "an unknown option gave exit code $code"

"$usr/bin/kasanemi-cad" --inspect "$sample" > "$root/inspect.json" || fail "kasanemi-cad --inspect"
/usr/bin/python3 - "$root/inspect.json" "${sample%.dxf}.oracle.json" <<'PY' || fail "--inspect differs from the oracle"
import json, sys
ours, oracle = (json.load(open(p)) for p in sys.argv[1:3])
assert [l["name"] for l in ours["layers"]] == [l["name"] for l in oracle["layers"]], "layers"
assert ours["counts"] == oracle["counts"], "counts"
assert ours["clayer"] == oracle["clayer"], "clayer"
PY

# A DWG through the installed converter, and a file manager's thumbnail of
# it made as the .thumbnailer entry says (%i input, %o output, %s size).
dwg="$samples/../dwg/libredwg_example_2000.dwg"
unset KASANEMI_DWG_CONVERTER KASANEMI_NODE
"$usr/bin/kasanemi-cad" --inspect "$dwg" > "$root/inspect-dwg.json" 2>"$root/inspect-dwg.err" \
  || fail "kasanemi-cad --inspect on a DWG: $(cat "$root/inspect-dwg.err")"
grep -q '"Tavolo 3"' "$root/inspect-dwg.json" || fail "the DWG's layers are missing from --inspect"
exec_line=$(sed -n 's/^Exec=kasanemi-cad //p' "$usr/share/thumbnailers/kasanemi.thumbnailer")
exec_line=${exec_line//%i/$dwg}; exec_line=${exec_line//%o/$root/thumb.png}; exec_line=${exec_line//%s/256}
# shellcheck disable=SC2086  # the Exec line's words, as a file manager splits them
"$usr/bin/kasanemi-cad" $exec_line 2>"$root/thumb.err" || fail "the thumbnailer failed: $(cat "$root/thumb.err")"
/usr/bin/python3 -c 'import sys; from PIL import Image; assert max(Image.open(sys.argv[1]).size) == 256' "$root/thumb.png" \
  || fail "the thumbnail is not 256 pixels"

# The host on a bus of its own, then the viewer with a layer list: it
# refreshes at once, which writes the work folder.
wait_for() {  # seconds, then a test command
  local seconds=$1; shift
  for _ in $(seq $((seconds * 10))); do "$@" && return 0; sleep 0.1; done
  return 1
}
has_host() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.kasanemi.Cad 2>/dev/null | grep -q 'boolean true'
}
printf 'FOOT_PRINT\r\n' > "$work/layers.csv"
"$usr/bin/kasanemi-cad" "$sample" 2>"$root/host.err" &
host_pid=$!
wait_for 30 has_host || fail "the installed host did not appear on the bus: $(cat "$root/host.err")"
"$usr/bin/kasanemi" "$work/layers.csv" 2>"$root/viewer.err" &
viewer_pid=$!
layer="$XDG_CACHE_HOME/kasanemi/LAYER"
wait_for 60 test -s "$layer/FOOT_PRINT.wmf" || fail "no layer picture in $layer: $(cat "$root/viewer.err")"
[ -s "$layer/SYS/all.wmf" ] || fail "no overview picture in $layer/SYS"
[ -f "$XDG_CONFIG_HOME/kasanemi/QEMTINF.ini" ] || fail "no settings file in $XDG_CONFIG_HOME/kasanemi"
cmp -s "$XDG_CACHE_HOME/kasanemi/QEMTIN.dvb" "$usr/share/kasanemi/QEMTIN.dvb" || fail "the macro project was not taken from the data folder"
kill "$viewer_pid"; wait "$viewer_pid" 2>/dev/null || true; viewer_pid=''
kill "$host_pid"; wait "$host_pid" 2>/dev/null || true; host_pid=''

# A portable copy in a read-only folder, without a data folder beside it:
# its settings go to the user's folder too.
mkdir -p "$root/portable"
cp "$usr/bin/kasanemi" "$root/portable/"
chmod 555 "$root/portable"
rm -rf "$XDG_CONFIG_HOME"
"$root/portable/kasanemi" 2>"$root/portable.err" &
viewer_pid=$!
wait_for 30 test -f "$XDG_CONFIG_HOME/kasanemi/QEMTINF.ini" || fail "the read-only portable copy wrote no settings: $(cat "$root/portable.err")"
kill "$viewer_pid"; wait "$viewer_pid" 2>/dev/null || true; viewer_pid=''
[ "$(ls -A "$root/portable")" = kasanemi ] || fail "written beside the portable copy: $(ls -A "$root/portable")"

find "$root/dest" -printf '%P %s %T@\n' | sort > "$root/tree.after"
diff "$root/tree.before" "$root/tree.after" >&2 || fail "the installed tree changed"
[ -z "$(ls -A "$work" | grep -v '^layers.csv$')" ] || fail "written into the current folder: $(ls -A "$work")"
echo "installed programs: ok"
