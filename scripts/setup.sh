#!/usr/bin/env bash
# Installs every Debian package the project needs, configures and builds.
# Idempotent: when everything is already installed it only (re)builds.
#   scripts/setup.sh            install packages, configure, build
#   scripts/setup.sh --deps     install packages only
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  googletest libgtest-dev libbenchmark-dev
  juce-modules-source-data
  libtinyxml-dev libsndfile1-dev libfftw3-dev
  libx11-dev libxext-dev libcairo2-dev libfreetype-dev libpng-dev fonts-dejavu-core
  xvfb xauth clang libclang-rt-14-dev llvm
  pandoc groff
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

[ "${1:-}" = "--deps" ] && exit 0

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$build" -j"$(nproc)"

# Install the plug-in where Linux hosts look for VST 3 bundles.
bundle="Quillstrip Pro Small.vst3"
mkdir -p "$HOME/.vst3"
rm -rf "$HOME/.vst3/$bundle"
cp -r "$build/$bundle" "$HOME/.vst3/"
echo "Installed $HOME/.vst3/$bundle"
# Factory presets into the plug-in's preset folder; files the user changed stay as they are.
"$build/tools/presets/quillstrip-presets" install "$build/presets"
# The manual beside the presets, where the editor's "Manual" command opens it: the
# plug-in's folder in the user's data home ($XDG_DATA_HOME when it is an absolute path,
# else ~/.local/share), as the plug-in itself finds it.
data_home="${XDG_DATA_HOME:-}"
[[ "$data_home" == /* ]] || data_home="$HOME/.local/share"
manual_dir="$data_home/Kelmora/Quillstrip Pro"
mkdir -p "$manual_dir"
cp "$build/docs/QuillstripPro_Manual.pdf" "$manual_dir/QuillstripPro_Manual.pdf"
echo "Installed $manual_dir/QuillstripPro_Manual.pdf"
# Two more backgrounds for the editor's chooser (Settings > Background), drawn by the
# skin generator: the graphite and slate variants of the built-in one.
backgrounds="$manual_dir/Resources/Backgrounds"
skin_tmp="$(mktemp -d)"
"$build/tools/skin/quillstrip-skin" "$skin_tmp/skin.ztcf" --tga-dir "$skin_tmp" >/dev/null
mkdir -p "$backgrounds"
cp "$skin_tmp/1081.tga" "$backgrounds/Graphite.tga"
cp "$skin_tmp/1098.tga" "$backgrounds/Slate.tga"
rm -rf "$skin_tmp"
echo "Installed the backgrounds Graphite and Slate in $backgrounds"

# The main job on the built-in example: a few seconds of drums, bass and noise through
# the installed plug-in as a channel strip, written to build/example/example-out.wav.
mkdir -p "$build/example"
(cd "$build/example" && "$build/tools/render/quillstrip-render" --force \
  --set "EQ Band 1 Enable=On" --set "EQ Band 4 Enable=On" --set "EQ Band 4 Gain=3.0" \
  --set "Comp Enable=On" --set "Comp Threshold=-18.0" \
  --set "Limiter Enable=On" --set "Oversample Enable=On")
