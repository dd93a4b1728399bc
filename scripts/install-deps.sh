#!/bin/sh
# Installs the Debian 12 packages Hobwise needs to build, test, run and package.
# Safe to run again: apt-get skips what is already there.
set -e
export DEBIAN_FRONTEND=noninteractive
PKGS="build-essential cmake git libboost-dev qt6-base-dev libgl-dev \
  libgtest-dev libgmock-dev googletest libbenchmark-dev nlohmann-json3-dev \
  xvfb xauth poppler-utils fonts-dejavu-core fonts-liberation fontconfig \
  help2man desktop-file-utils appstream dpkg-dev file"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
