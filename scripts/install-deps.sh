#!/usr/bin/env bash
# Installs the Debian packages tessel needs that this machine lacks (apt-get update once, then
# apt-get install). Run as root, or with sudo available. With --fuzz it adds clang and its
# sanitizer runtime for the fuzz run.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libboost-dev libfftw3-dev libgtest-dev libgmock-dev
          libbenchmark-dev python3-scikit-rf)
if [[ "${1:-}" == "--fuzz" ]]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
((${#missing[@]})) || exit 0

sudo=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "need root to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
