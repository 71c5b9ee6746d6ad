#!/usr/bin/env bash
# Installs the Debian packages that Quillmere needs to build, run and test.
# Does nothing when everything is already present; uses sudo only when not root. Prints one line
# per step; the package manager's own output goes to a log that is shown only when it fails.
set -euo pipefail

packages=(
  g++ cmake make pkg-config dpkg-dev
  libnoise-dev freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libegl-dev libegl1 libegl-mesa0
  googletest libgtest-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick
  python3 python3-pil gdal-bin libtinyobjloader-dev apitrace
  clang libclang-rt-14-dev libomp-dev clang-format libstb-dev libpng-dev
  libassimp-dev
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
  echo "setup: keeping the noise library's documentation off this machine" >&2
  echo "$excludeLine" | "${sudo[@]}" tee "$excludeFile" >/dev/null
fi
if [ -d /usr/share/doc/libnoise-dev ]; then
  "${sudo[@]}" rm -rf /usr/share/doc/libnoise-dev
fi

# One query for all packages: a package that is unknown or not fully installed is missing.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
  awk '$2 == "install" && $3 == "ok" && $4 == "installed" { sub(/:.*/, "", $1); print $1 }' || true)
declare -A present=()
while read -r name; do
  [ -n "$name" ] && present[$name]=1
done <<<"$installed"
missing=()
for p in "${packages[@]}"; do
  [ -n "${present[$p]:-}" ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present" >&2
else
  log=$(mktemp "${TMPDIR:-/tmp}/quillmere-setup.XXXXXX.log")
  echo "setup: installing ${missing[*]} (log: $log)" >&2
  if ! { "${sudo[@]}" apt-get update -qq &&
         DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq \
           --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    echo "setup: installing failed; the package manager said:" >&2
    cat "$log" >&2
    exit 1
  fi
  rm -f "$log"
  echo "setup: installed ${#missing[@]} packages" >&2
fi

# A package could have been installed before the exclusion existed.
if [ -d /usr/share/doc/libnoise-dev ]; then
  "${sudo[@]}" rm -rf /usr/share/doc/libnoise-dev
fi
