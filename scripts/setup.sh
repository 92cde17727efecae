#!/usr/bin/env bash
# Installs the Debian 12 packages that the build, the tests, the benchmarks, the
# fuzzers and the screenshots need. Does nothing when they are all present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libhidapi-dev libudev-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libchm-dev fp-utils-3.2.2
  libmosquitto-dev libmodbus-dev mosquitto openssl
  clang clang-format libclang-rt-14-dev
  lintian mingw-w64 wine64 googletest man-db bsdextrautils
  xvfb xauth xdotool imagemagick fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
