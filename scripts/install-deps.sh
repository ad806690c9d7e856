#!/usr/bin/env bash
# Installs what building, running and testing the gadget needs (Debian).
set -euo pipefail
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
  build-essential cmake pkg-config git ca-certificates \
  libefl-all-dev libedje-bin gettext xvfb xauth \
  libgtest-dev libbenchmark-dev clang libclang-rt-14-dev binutils file \
  clang-tidy cppcheck shellcheck clang-format valgrind gcovr xdotool imagemagick \
  fonts-dejavu-core fontconfig x11-apps >/dev/null
# The pop-up's texts render in DejaVu Sans (fontconfig's match for the layout's
# font on Debian 12): pinned so that the golden images stay exact.
