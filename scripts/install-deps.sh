#!/usr/bin/env bash
# Installs what building and testing Morvanex needs on Debian 12 (run as root or with sudo).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
  build-essential cmake ninja-build ccache pkg-config git \
  libssl-dev openssl libgtest-dev libgmock-dev libbenchmark-dev \
  libcurl4-openssl-dev libmagic-dev libmagic-mgc libqrencode-dev zbar-tools \
  nlohmann-json3-dev xdg-utils file python3 ca-certificates \
  qt6-base-dev fonts-noto-cjk xvfb xauth >/dev/null
