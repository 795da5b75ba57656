#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
set -euo pipefail
packages=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev libgl-dev qt6-translations-l10n
    libcurl4-openssl-dev libssl-dev libsimpleini-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    libcpp-httplib-dev libsqlite3-dev
    fonts-wqy-zenhei
    dpkg-dev fakeroot lintian librsvg2-bin desktop-file-utils appstream
    clang libclang-rt-14-dev clang-tidy clang-format
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
