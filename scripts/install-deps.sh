#!/usr/bin/env bash
# Installs what building and testing Morvanex needs on Debian 12. The same
# command works as root (no sudo needed) and as a user who may use sudo.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "install-deps.sh: run it as root, or install sudo" >&2
    exit 1
  fi
  exec sudo -- bash "$0" "$@"
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
  build-essential cmake ninja-build ccache pkg-config git \
  libssl-dev openssl libgtest-dev libgmock-dev libbenchmark-dev \
  libcurl4-openssl-dev libmagic-dev libmagic-mgc libqrencode-dev zbar-tools \
  nlohmann-json3-dev xdg-utils file python3 ca-certificates \
  desktop-file-utils shared-mime-info libfile-mimeinfo-perl man-db \
  qt6-base-dev libx11-dev libxss-dev fonts-noto-cjk xvfb xauth clang-14 libclang-rt-14-dev \
  dbus-daemon python3-dbusmock weston qt6-wayland appstream \
  libwayland-dev libwayland-bin wayland-protocols qt6-base-private-dev qt6-translations-l10n \
  at-spi2-core python3-pyatspi >/dev/null
