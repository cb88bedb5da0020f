#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs the Debian packages tessel needs that this machine lacks (apt-get update once, then
# apt-get install). Run as root, or with sudo available. With --fuzz it adds clang and its
# sanitizer runtime for the fuzz run.
set -euo pipefail

# libkissfft-dev: the permissive FFT backend (TESSEL_FFT=kissfft). dpkg-dev and file: CPack's
# Debian packages compute their dependencies with dpkg-shlibdeps, which needs both.
# pybind11-dev, python3-dev, python3-numpy, python3-pytest: the Python module and its tests;
# python3-scipy: the peer comparison in bench/peers.py.
packages=(cmake ninja-build g++ pkg-config libboost-dev libfftw3-dev libkissfft-dev libgtest-dev
          libgmock-dev libbenchmark-dev python3-scikit-rf dpkg-dev file
          pybind11-dev python3-dev python3-numpy python3-pytest python3-scipy)
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
