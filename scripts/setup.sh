#!/usr/bin/env bash
# Installs what building and testing Kelvane needs on Debian 12, when it is missing.
set -euo pipefail
packages=(cmake make g++ libgtest-dev googletest g++-mingw-w64-x86-64-posix
  g++-mingw-w64-i686-posix wine wine64 xvfb xauth clang libclang-rt-14-dev clang-format python3 python3-markdown)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
