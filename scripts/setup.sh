#!/usr/bin/env bash
# Installs what the builds, the tests and the pictures need (Debian 12) and builds both
# programs:
#   build/      native Linux build (g++, ICU, GoogleTest)
#   build-win/  Windows build with mingw-w64, run and tested under Wine, and the help
#               file quillon.chm (chmcmd from fp-utils; libchm-bin checks it)
# The checking builds (build-asan/ with the sanitizers, build-fuzz/ with clang and
# libFuzzer) are made by scripts/sanitize.sh and scripts/fuzz.sh; their packages are
# installed here.
# Safe to run again: packages are installed only when missing, builds are incremental.
#   --build-only   skip the package check
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libicu-dev libboost1.81-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 xvfb xauth xdotool
  clang libclang-rt-14-dev llvm-14
  dpkg-dev lintian groff-base man-db gzip
  nsis zip unzip
  fp-utils libchm-bin
  imagemagick fonts-ipafont-gothic fonts-wine
)
JOBS=${QUILLON_JOBS:-2}

install_packages() {
  local missing=()
  local package
  for package in "${PACKAGES[@]}"; do
    if [[ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" != "install ok installed" ]]; then
      missing+=("$package")
    fi
  done
  if ((${#missing[@]} == 0)); then
    echo "setup: all packages present"
    return
  fi
  echo "setup: installing ${missing[*]}"
  local sudo=()
  if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

configure_and_build() {
  local dir=$1
  shift
  if [[ ! -f "$dir/build.ninja" ]]; then
    echo "setup: configuring $dir"
    cmake -S . -B "$dir" -G Ninja -DQUILLON_WERROR=ON "$@"
  fi
  echo "setup: building $dir"
  cmake --build "$dir" -j "$JOBS"
}

build_all() {
  configure_and_build build
  configure_and_build build-win -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake"
}

if [[ "${1:-}" != "--build-only" ]]; then
  install_packages
fi
build_all
