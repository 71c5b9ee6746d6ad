#!/usr/bin/env bash
# Installs the Debian packages that Quillmere needs to build, run and test.
# Does nothing when everything is already present; uses sudo only when not root.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  libnoise-dev freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri
  googletest libgtest-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick
  python3 python3-pil gdal-bin libtinyobjloader-dev apitrace
  clang libclang-rt-14-dev libomp-dev clang-format libstb-dev
)

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi

# The noise library's documentation folder must never land on a project machine.
excludeFile=/etc/dpkg/dpkg.cfg.d/quillmere-no-libnoise-doc
excludeLine='path-exclude=/usr/share/doc/libnoise-dev/*'
if ! grep -qsxF "$excludeLine" "$excludeFile"; then
  echo "$excludeLine" | "${sudo[@]}" tee "$excludeFile" >/dev/null
fi
if [ -d /usr/share/doc/libnoise-dev ]; then
  "${sudo[@]}" rm -rf /usr/share/doc/libnoise-dev
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A package could have been installed before the exclusion existed.
if [ -d /usr/share/doc/libnoise-dev ]; then
  "${sudo[@]}" rm -rf /usr/share/doc/libnoise-dev
fi
