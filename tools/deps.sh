#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when any is missing.
# Run as root or with sudo available; without either it only reports what is missing.
set -euo pipefail
pkgs=(cmake ninja-build g++ qt6-base-dev libgtest-dev libgmock-dev libsqlite3-dev clang
      xvfb xauth imagemagick poppler-utils python3-dbfread python3-dbf libdbd-xbase-perl
      dpkg-dev file libcurl4-openssl-dev libsecret-1-dev python3-aiosmtpd openssl
      dbus-daemon dbus-bin gnome-keyring)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); elif command -v sudo >/dev/null; then sudo=(sudo); else
    echo "Missing packages and no root rights: ${missing[*]}" >&2; exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
