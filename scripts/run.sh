#!/usr/bin/env bash
# Runs the palette beside the stand-in CAD host under Wine: on this machine's display when there
# is one, otherwise on a virtual display, leaving a screenshot. Installs and builds what it needs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$ORBELLE_ROOT"

ensure_packages "${BUILD_PACKAGES[@]}" "${DESKTOP_PACKAGES[@]}"
build_preset windows
boot_prefix
python3 scripts/launch.py "$@"
