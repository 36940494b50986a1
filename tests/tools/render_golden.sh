#!/bin/sh
# Renders the built-in example with every section on, with and without oversampling,
# through both compressor types, and compares each output's samples with the digests
# in render-golden.txt. Any change to the audio a user hears shows up here: a change
# that is meant must update that file, and say why in its commit. Oversampled output
# depends on whether the CPU fuses multiply and add (AVX2 with FMA): those lines name it.
#   render_golden.sh RENDER BUNDLE DIGEST GOLDEN [--print]
set -eu
render=$1 bundle=$2 digest=$3 golden=$4 mode=${5:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
status=0
converters=unfused
if grep -qw avx2 /proc/cpuinfo && grep -qw fma /proc/cpuinfo; then
  converters=fused
fi
for os in Off On; do
  for ct in 1 2; do
    "$render" --plugin "$bundle" --force \
      --set "EQ Band 1 Enable=On" --set "EQ Band 2 Enable=On" --set "EQ Band 2 Gain=4" \
      --set "EQ Band 3 Enable=On" --set "EQ Band 3 Gain=-5" --set "EQ Band 4 Enable=On" \
      --set "EQ Band 4 Gain=3" --set "EQ Band 5 Enable=On" --set "EQ Band 5 Gain=2" \
      --set "EQ Band 6 Enable=On" --set "Gate Enable=On" --set "Gate Threshold=-40" \
      --set "Gate SC Enable=On" --set "Comp Enable=On" --set "Comp Threshold=-24" \
      --set "Comp SC Enable=On" --set "Stereo Enable=On" --set "Stereo High=40" \
      --set "Saturation Enable=On" --set "Limiter Enable=On" --set "Limiter Input=6" \
      --set "Compressor Type=$ct" --set "Oversample Enable=$os" >/dev/null
    kernels=""
    [ "$os" = On ] && kernels="$converters "
    line="oversample-$os compressor-$ct $kernels$("$digest" example-out.wav)"
    if [ "$mode" = "--print" ]; then
      echo "$line"
    elif ! grep -qxF "$line" "$golden"; then
      echo "changed: $line"
      status=1
    fi
  done
done
exit $status
