#!/usr/bin/env bash
# Installs the Debian 12 packages Vantrel needs, only when one is missing:
#   setup-deps.sh run   what building and running the programs needs
#   setup-deps.sh       that and what the tests need
set -euo pipefail

run_packages=(cmake ninja-build g++)
test_packages=(libgtest-dev libgmock-dev googletest python3)

packages=("${run_packages[@]}")
if [ "${1:-all}" != run ]; then
    packages+=("${test_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
