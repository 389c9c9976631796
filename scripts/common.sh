# Shared by run.sh and test.sh: messages, packages, builds, the Wine prefix.
# shellcheck shell=bash

ORBELLE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export ORBELLE_ROOT

# Each message carries the seconds since the script started, so a slow step shows in CI's log.
say() { printf 'orbelle: [%4ds] %s\n' "$SECONDS" "$*"; }
die() {
  printf 'orbelle: error: %s\n' "$*" >&2
  exit 1
}

BUILD_PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest zlib1g-dev python3
  g++-mingw-w64-x86-64 libz-mingw-w64-dev mingw-w64-tools libwine-dev
  clang libclang-rt-14-dev)
DESKTOP_PACKAGES=(wine wine64 xvfb xdotool imagemagick x11-utils fonts-noto-cjk openbox)

# Installs the Debian packages that are missing, saying which.
ensure_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  ((${#missing[@]})) || return 0
  local sudo=()
  if [ "$(id -u)" != 0 ]; then
    command -v sudo >/dev/null || die "packages missing (${missing[*]}) and no sudo: install them as root"
    sudo=(sudo)
  fi
  say "installing ${missing[*]} (apt-get)"
  local log="${TMPDIR:-/tmp}/orbelle-apt.log"
  if ! "${sudo[@]}" apt-get update -q >"$log" 2>&1; then
    die "apt-get update failed (see $log): check the network and /etc/apt/sources.list"
  fi
  if ! DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q "${missing[@]}" \
    >>"$log" 2>&1; then
    tail -n 5 "$log" >&2
    die "could not install ${missing[*]} (full output in $log)"
  fi
}

# Configures a CMake preset (quick when nothing changed), then builds what is stale.
build_preset() {
  local preset=$1
  shift
  local dir="$ORBELLE_ROOT/build/$preset"
  mkdir -p "$ORBELLE_ROOT/build"
  say "configuring and building the $preset build ($dir)"
  (cd "$ORBELLE_ROOT" && cmake --preset "$preset" "$@") >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log" >&2; die "configuring the $preset build failed"; }
  cmake --build "$dir" -j "$(nproc)" ||
    die "the $preset build failed (output above)"
}

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
ORBELLE_WINEPREFIX="${ORBELLE_WINEPREFIX:-$ORBELLE_ROOT/build/wine}"
export ORBELLE_WINEPREFIX

# Boots the project's Wine prefix once (and links a Japanese font to Tahoma in it).
boot_prefix() {
  if grep -qs "fonts linked" "$ORBELLE_WINEPREFIX/.orbelle-booted"; then
    return 0
  fi
  say "preparing the Wine prefix $ORBELLE_WINEPREFIX (about fifteen seconds, once)"
  python3 "$ORBELLE_ROOT/tests/e2e/lib/winedesk.py" boot "$ORBELLE_WINEPREFIX" ||
    die "the Wine prefix did not boot: remove $ORBELLE_WINEPREFIX and try again"
}

# A locale with a decimal comma, for the tests that prove numbers ignore the locale.
ensure_comma_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
  ensure_packages locales
  say "generating the locale de_DE.UTF-8"
  local sudo=()
  [ "$(id -u)" = 0 ] || sudo=(sudo)
  "${sudo[@]}" sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo[@]}" locale-gen >/dev/null || die "locale-gen failed: could not make de_DE.UTF-8"
}
