#!/bin/sh
# The manual Ardour 7 check of the LV2 bundle: runs lv2-export.lua, then lv2-reload.lua on
# the session it saved, headless, with a search path that holds the bundle from the build
# tree (default build/) and the system's specifications, so whatever is installed in
# ~/.lv2 plays no part. Not part of CI.
#   scripts/ardour/lv2-check.sh [BUILD_DIR]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
path=$(mktemp -d)
trap 'rm -rf "$path"' EXIT
ln -s "$build/Quillstrip Pro Small.lv2" "$path/"
export LV2_PATH="$path:/usr/lib/lv2" LD_LIBRARY_PATH=/usr/lib/ardour7
ardour7-lua "$here/lv2-export.lua"
ardour7-lua "$here/lv2-reload.lua"
