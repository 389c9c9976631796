#!/usr/bin/env bash
# Makes the Windows release: orbelle-<version>-win64.zip with orbelle.exe, a read-me for Windows
# users (README.txt) and the SHA-256 checksums of both (SHA256SUMS.txt), and beside the zip its
# own checksum and orbelle.debug, the symbols that read a crash of that orbelle.exe. Builds the
# Windows programs first (quick when nothing changed). The version is the one the palette shows
# in its title.
#
#   scripts/release.sh [output folder]      (default: build/release)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$ORBELLE_ROOT"

(($# <= 1)) || die "usage: scripts/release.sh [output folder]"
out=$(realpath -m "${1:-$ORBELLE_ROOT/build/release}")

ensure_packages "${BUILD_PACKAGES[@]}"
build_preset windows

version=$(sed -n 's/^ *VALUE "ProductVersion", "\([^"]*\)".*/\1/p' resources/orbelle.rc)
[[ "$version" =~ ^[0-9A-Za-z.]+$ ]] ||
  die "no product version in resources/orbelle.rc (found '$version')"
exe=build/windows/app/orbelle.exe
[ -f "$exe" ] && [ -f build/windows/app/orbelle.debug ] ||
  die "the windows build left no $exe and orbelle.debug beside it"

name="orbelle-$version-win64"
mkdir -p "$out"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/orbelle.exe"
# Notepad reads either line ending; CRLF keeps older viewers happy too.
sed "s/@VERSION@/$version/; s/\$/\r/" docs/README-windows.txt >"$stage/README.txt"
(cd "$stage" && sha256sum orbelle.exe README.txt >SHA256SUMS.txt)

rm -f "$out/$name.zip"
# Fixed file times, so that the same build gives the same zip.
(cd "$stage" && cmake -E tar cf "$out/$name.zip" --format=zip "--mtime=2025-01-07 00:00:00 UTC" \
  orbelle.exe README.txt SHA256SUMS.txt)
(cd "$out" && sha256sum "$name.zip" >"$name.zip.sha256")
cp build/windows/app/orbelle.debug "$out/orbelle.debug"

say "wrote $out/$name.zip ($(stat -c %s "$out/$name.zip") bytes: orbelle.exe" \
  "$(stat -c %s "$stage/orbelle.exe") bytes, README.txt, SHA256SUMS.txt)"
say "beside it: $name.zip.sha256, and orbelle.debug for reading a crash of that orbelle.exe"
