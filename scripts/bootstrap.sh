#!/usr/bin/env bash
# Prepares a fresh Debian 12 machine to build Sonderlith: installs the system
# packages the build needs and unpacks JUCE (Debian's source package, with
# Debian's patches applied) into a cache folder outside the work tree.
# Idempotent, safe against concurrent runs, and returns at once when warm.
# Prints the JUCE folder on its last line.
set -euo pipefail

# shellcheck source=juce.env
source "$(dirname "${BASH_SOURCE[0]}")/juce.env"
CACHE_ROOT="${XDG_CACHE_HOME:-$HOME/.cache}/sonderlith"
JUCE_DIR="${SONDERLITH_JUCE_DIR:-$CACHE_ROOT/juce-$JUCE_VERSION}"

PACKAGES=(build-essential cmake ninja-build pkg-config dpkg-dev
  libfreetype-dev libfontconfig-dev libx11-dev libxext-dev libxrandr-dev
  libxinerama-dev libxcursor-dev zlib1g-dev libpng-dev libjpeg-dev
  libcurl4-openssl-dev libgtest-dev libbenchmark-dev ccache
  xvfb xauth clang libclang-rt-14-dev
  libflac-dev libvorbis-dev libfftw3-dev libcli11-dev help2man python3-jsonschema
  jalv lilv-utils jackd2 libjack-jackd2-dev lintian
  python3-numpy python3-scipy xdotool imagemagick ardour libsndfile1-dev
  ladspa-sdk swh-plugins tap-plugins swh-lv2 mda-lv2 hyperfine libasound2-dev libasound2-plugins)

log() { echo "bootstrap: $*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

install_packages() {
  local missing
  missing="$(missing_packages)"
  [ -z "$missing" ] && return 0
  log "installing: $missing"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q >&2
  # shellcheck disable=SC2086
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing >&2
}

# The machine's own Debian mirror, so no host name lives in the repository.
debian_mirror() {
  local uri=""
  if compgen -G "/etc/apt/sources.list.d/*.sources" >/dev/null; then
    uri="$(awk '/^URIs:/ {print $2}' /etc/apt/sources.list.d/*.sources | grep -v security | head -n1 || true)"
  fi
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri="$(awk '$1=="deb" && $0 !~ /security/ {for (i=2;i<=NF;i++) if ($i ~ /^[a-z]+:\/\//) {print $i; exit}}' /etc/apt/sources.list)"
  fi
  [ -n "$uri" ] || { log "no Debian mirror found in the apt sources"; exit 1; }
  echo "$uri"
}

fetch_juce() {
  local work="$CACHE_ROOT/apt-juce"
  rm -rf "$work"
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/src"
  echo "deb-src $(debian_mirror) trixie main" > "$work/sources.list"
  local opts=(-o "Dir::Etc::sourcelist=$work/sources.list" -o "Dir::Etc::sourceparts=-"
    -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache")
  # The private folders live in the user's cache, which apt's own download user may not reach.
  [ "$(id -u)" -eq 0 ] && opts+=(-o "APT::Sandbox::User=root")
  log "fetching Debian's JUCE $JUCE_DEB_VERSION source package"
  apt-get "${opts[@]}" update -q >&2
  (cd "$work/src" && apt-get "${opts[@]}" source --download-only "juce=$JUCE_DEB_VERSION" >&2)
  local dsc
  dsc="$(ls "$work"/src/juce_*.dsc | head -n1)"
  local tmp="$JUCE_DIR.tmp.$$"
  rm -rf "$tmp"
  dpkg-source --no-check -x "$dsc" "$tmp" >&2
  [ -f "$tmp/CMakeLists.txt" ] || { log "unpacked JUCE tree has no CMakeLists.txt"; exit 1; }
  rm -rf "$JUCE_DIR"
  mv "$tmp" "$JUCE_DIR"
  rm -rf "$work"
}

main() {
  mkdir -p "$CACHE_ROOT"
  exec 9>"$CACHE_ROOT/bootstrap.lock"
  flock 9
  install_packages
  if [ ! -f "$JUCE_DIR/.sonderlith-ready" ]; then
    if [ -n "${SONDERLITH_JUCE_DIR:-}" ] && [ -f "$JUCE_DIR/CMakeLists.txt" ]; then
      : # a user-supplied tree is used as it is
    else
      fetch_juce
      touch "$JUCE_DIR/.sonderlith-ready"
    fi
  fi
  echo "$JUCE_DIR"
}

main "$@"
