#!/usr/bin/env bash
# Installs the Debian 12 packages Kasanemi needs to build, run and test, only
# those that are missing, then configures and builds into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libuemf-dev libzip-dev
  googletest libgtest-dev libgmock-dev
  dbus dbus-bin xvfb xauth fontconfig fonts-noto-cjk
  python3-ezdxf python3-matplotlib python3-openpyxl libwmf-bin imagemagick x11-apps
  # libwmf's wmf2svg (used by the tests to check our metafiles with another
  # reader) maps every font to the URW base 35 fonts; only recommended, so named.
  fonts-urw-base35
  # The install test validates the desktop entries and the AppStream metadata.
  desktop-file-utils appstream
  # Node.js runs the DWG converter (src/dwg-converter) at build, test and run time.
  nodejs
  # Qt's own Japanese texts (qtbase_ja.qm): the standard buttons and the file dialog.
  qt6-translations-l10n
  # A window manager for the test of where a framed window goes (under Xvfb).
  openbox
  # bench/cad_load measures dxflib's DXF parser beside ours (built only when present).
  libdxflib-dev
  # XXH3: the content hash of a drawing's text, checked when the text is read back at save.
  libxxhash-dev
)
# npm installs the converter's pinned package. Debian's npm; a Node.js from
# elsewhere (NodeSource's package) brings its own npm and conflicts with it.
command -v npm >/dev/null || packages+=(npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The converter's package, exactly as package-lock.json pins it (from the npm
# registry); done again only when the lock file changed.
converter=src/dwg-converter
if ! cmp -s "$converter/package-lock.json" "$converter/node_modules/.kasanemi-installed-lock"; then
  npm ci --prefix "$converter" --omit=dev --ignore-scripts --no-audit --no-fund
  cp "$converter/package-lock.json" "$converter/node_modules/.kasanemi-installed-lock"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
