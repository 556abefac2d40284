#!/usr/bin/env bash
# Installs what the program needs, builds it and converts the bundled example without a window.
# Works as root (no sudo needed) and as a user who may use sudo. What the installer and the build
# print goes to standard output; standard error is left to the program's own messages.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(cmake ninja-build g++ qt6-base-dev libjpeg62-turbo-dev)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo > /dev/null || { echo "Not root and no sudo: install ${missing[*]} first." >&2; exit 1; }
    SUDO=(sudo)
  fi
  # An empty or old package list finds nothing: refresh it before installing.
  "${SUDO[@]}" apt-get update -qq 2>&1
  DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" 2>&1
fi

cmake -S . -B build -G Ninja -DZUK_BUILD_TESTS=OFF -DZUK_BUILD_BENCH=OFF 2>&1
cmake --build build --target zuk-converter 2>&1
QT_QPA_PLATFORM=offscreen build/source/converter/zuk-converter -c examples/sample.zuk
