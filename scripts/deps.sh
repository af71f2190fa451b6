#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only those missing.
set -euo pipefail
pkgs=(build-essential cmake pkg-config
      qt6-base-dev
      libsqlite3-dev libsqlitecpp-dev
      libgtest-dev libgmock-dev libbenchmark-dev
      poppler-utils fonts-liberation2 xdg-utils
      clang-format git)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
