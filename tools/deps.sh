#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when any is missing.
# Run as root or with sudo available; without either it only reports what is missing.
set -euo pipefail
pkgs=(cmake ninja-build g++ qt6-base-dev libgtest-dev libgmock-dev libsqlite3-dev clang
      xvfb xauth imagemagick poppler-utils python3-dbfread python3-dbf libdbd-xbase-perl
      dpkg-dev file libcurl4-openssl-dev libsecret-1-dev python3-aiosmtpd openssl
      dbus-daemon dbus-bin gnome-keyring locales)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# The engine's tests write and read numbers under a decimal-comma locale.
locale -a 2>/dev/null | grep -qx 'de_DE.utf8' && comma=() || comma=(de_DE.UTF-8)
[ ${#missing[@]} -eq 0 ] && [ ${#comma[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]} ${comma[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); elif command -v sudo >/dev/null; then sudo=(sudo); else
    echo "Missing packages and no root rights: ${missing[*]} ${comma[*]}" >&2; exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi
if [ ${#comma[@]} -gt 0 ]; then
    "${sudo[@]}" sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)$/\1/' /etc/locale.gen
    "${sudo[@]}" locale-gen >/dev/null
fi
