#!/bin/sh
# check_lv2.sh BUNDLE_DIR
# The bundle's Turtle validates against the LV2 specifications Debian installs
# (sord_validate, lv2-dev and sordi), and lv2info (lilv-utils) finds the plug-in and
# lists as many ports as the description declares.
set -eu
bundle=$1
lv2_dir=/usr/lib/lv2
schemas=""
for vocabulary in atom buf-size core instance-access options ui parameters port-groups port-props presets schemas state units urid worker; do
  schemas="$schemas $(ls "$lv2_dir/$vocabulary.lv2"/*.ttl | tr '\n' ' ')"
done
# shellcheck disable=SC2086
sord_validate $schemas "$bundle"/*.ttl

uri=$(sed -n 's/^<\([^>#]*\)>$/\1/p' "$bundle/manifest.ttl" | head -n 1)
declared=$(grep -c 'lv2:index' "$bundle"/quillstrip-pro-small.ttl)
# A search path that holds this bundle and the specifications, nothing else.
path=$(mktemp -d)
trap 'rm -rf "$path"' EXIT
ln -s "$bundle" "$path/$(basename "$bundle")"
listed=$(LV2_PATH="$path:$lv2_dir" lv2info "$uri" | grep -c '^[[:space:]]*Port [0-9]*:')
echo "$uri: $declared ports declared, $listed listed by lv2info"
[ "$declared" -gt 7 ] && [ "$declared" -eq "$listed" ]
