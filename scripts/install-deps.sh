#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine. Safe to run again.
set -euo pipefail

packages=(
  cmake g++ make googletest libbenchmark-dev        # native build, unit tests, benchmarks
  clang libclang-rt-14-dev                           # fuzz targets and sanitizers
  g++-mingw-w64-x86-64 wine wine64                   # the Windows build and running it
  xvfb xauth fonts-wqy-microhei locales imagemagick  # the window under a virtual display
  hyperfine time valgrind                            # performance script, leak checks
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

# Chinese texts need the zh_CN.UTF-8 locale: Wine's ANSI code page follows it.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
