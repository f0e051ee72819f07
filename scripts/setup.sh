#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the interoperability checks need,
# only when something is missing, so that repeated runs cost nothing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format-14 clang-tidy-14
  libgtest-dev libgmock-dev libbenchmark-dev
  libdeflate-dev libisal-dev zlib1g-dev libarchive-dev libbz2-dev liblzma-dev libzstd-dev
  zip unzip 7zip libarchive-tools lhasa jlha-utils arj gcab cabextract pigz python3 zstd bzip2 xz-utils
  g++-mingw-w64-x86-64-posix
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
