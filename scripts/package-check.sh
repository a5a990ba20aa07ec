#!/usr/bin/env bash
# CI: makes the Debian package from the build/ tree the test stage built (no
# second compile), checks it (lintian, the desktop entry, the metainfo, the
# MIME type), installs it with apt-get, which proves its dependencies, tries
# the installed programs, manual pages and file type, and removes it again.
# Runs as root (or with sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

tools=(dpkg-dev file lintian desktop-file-utils appstream man-db shared-mime-info libglib2.0-bin)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

PACKAGE_REUSE_BUILD=1 BUILD_DIR="$build" bash scripts/package.sh >/dev/null
deb=$(ls "$build"/tq-interface_*.deb)
version=$(dpkg-deb -f "$deb" Version)
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB), Depends: $(dpkg-deb -f "$deb" Depends)"

work=$(mktemp -d)
cleanup() {
  if dpkg-query -W -f='${Status}' tq-interface 2>/dev/null | grep -q "install ok installed"; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y -qq --purge tq-interface >/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package-check: $*" >&2; exit 1; }

# What the package holds, checked before it is installed.
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/tq_interface.desktop"
appstreamcli validate --no-net --pedantic "$work/root/usr/share/metainfo/com.norvane.tq_interface.metainfo.xml"
mkdir -p "$work/mime/packages"
cp "$work/root/usr/share/mime/packages/tq_interface.xml" "$work/mime/packages/"
mime_out=$(update-mime-database -V "$work/mime" 2>&1)
! grep -qi "error\|warning\|invalid" <<<"$mime_out" || fail "update-mime-database: $mime_out"
for size in 16 22 24 32 48 64 128 256; do
  [ -f "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/tq_interface.png" ] || fail "no ${size}px icon"
done
# Any error or warning fails; the informational tags are shown.
lintian --fail-on error,warning --display-info "$deb"
echo "lintian: no errors, no warnings"

# Install it. Some Debian images keep /usr/share/man out of every package
# (path-exclude in /etc/dpkg/dpkg.cfg.d); the manual pages of this package
# are then let in by name, and the check says so.
dpkg_opts=()
if grep -qs '^path-exclude=/usr/share/man' /etc/dpkg/dpkg.cfg.d/*; then
  echo "note: dpkg excludes /usr/share/man on this machine; this package's pages are included explicitly"
  for page in tqctl tq-sim tq_interface; do
    dpkg_opts+=(-o "DPkg::Options::=--path-include=/usr/share/man/man1/$page.1.gz")
  done
fi
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${dpkg_opts[@]}" "./$deb" >/dev/null

[ "$(tqctl --version)" = "tqctl $version" ] || fail "tqctl --version says '$(tqctl --version)', the package $version"
[ "$(tq_interface --version)" = "tq_interface $version" ] || fail "tq_interface --version: $(tq_interface --version)"
[ "$(tq-sim --version)" = "tq-sim $version" ] || fail "tq-sim --version: $(tq-sim --version)"
tqctl --simulate version
tqctl new "$work/default.tq" >/dev/null
tqctl report "$work/default.tq" -o "$work/default.pdf" >/dev/null
[ "$(head -c 5 "$work/default.pdf")" = "%PDF-" ] || fail "tqctl report wrote no PDF"
for page in tqctl tq-sim tq_interface; do
  man -w "$page" >/dev/null || fail "man -w $page finds no page"
done
echo "man -w tqctl: $(man -w tqctl)"

# The file type by name and, for a file without the extension, by its first
# bytes; the program opens it and shows its icon.
cp "$work/default.tq" "$work/default-without-extension"
for f in "$work/default.tq" "$work/default-without-extension"; do
  type=$(gio info -a standard::content-type "$f" | sed -n 's/.*standard::content-type: //p')
  [ "$type" = "application/x-tqinterface-document" ] || fail "$(basename "$f") is '$type'"
done
if ! opener=$(gio mime application/x-tqinterface-document 2>&1) || ! grep -q "tq_interface.desktop" <<<"$opener"; then
  # What the desktop saw, to tell a missing entry from a stale index.
  echo "gio mime: $opener" >&2
  ls -la --time-style=full-iso /usr/share/applications >&2
  grep -H '^MimeType=' /usr/share/applications/tq_interface.desktop >&2 || true
  env | grep '^XDG_' >&2 || true
  fail "no program opens application/x-tqinterface-document"
fi
gio info -a standard::icon "$work/default.tq" | grep -q "tq_interface" || fail "the file type has not the program's icon"
echo "file type: application/x-tqinterface-document, by name and by content, opened by tq_interface.desktop"

DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y -qq --purge tq-interface >/dev/null
[ ! -e /usr/bin/tqctl ] || fail "tqctl left after removal"
echo "installed, tried and removed: tq-interface $version"
