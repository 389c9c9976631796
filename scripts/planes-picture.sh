#!/usr/bin/env bash
# Makes docs/isometric-planes.png, the README's picture: the end-to-end test of the four picture
# buttons turns a square with a circle into each plane with real clicks on the palette, and the
# stand-in host saves its window once the TOP button has zoomed to the result. Installs and
# builds what it needs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$ORBELLE_ROOT"

ensure_packages "${BUILD_PACKAGES[@]}" "${DESKTOP_PACKAGES[@]}"
build_preset windows
boot_prefix

picture="$ORBELLE_ROOT/build/e2e-work/block-four-planes/isometric-planes.png"
rm -f "$picture"
say "running the four picture buttons under Wine"
python3 tests/e2e/run.py --build build/windows -k each_picture_turns ||
  die "the end-to-end test of the picture buttons failed (output above); docs/ is unchanged"
[ -s "$picture" ] || die "the test passed but left no picture at $picture"
cp "$picture" "$ORBELLE_ROOT/docs/isometric-planes.png"
say "wrote docs/isometric-planes.png"
