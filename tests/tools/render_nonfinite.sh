#!/bin/sh
# Renders a four-sample float file holding one NaN: with every section off the NaN passes
# through, and the summary must count it on both sides instead of showing a peak; with
# a section on it becomes silence and the output has a peak again.
#   render_nonfinite.sh RENDER BUNDLE
set -eu
render=$1 bundle=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# RIFF/WAVE, IEEE float, mono, 48000 Hz: 0, NaN, 0.5, 0.
printf 'RIFF\064\000\000\000WAVEfmt \020\000\000\000\003\000\001\000\200\273\000\000\000\356\002\000\004\000\040\000' >in.wav
printf 'data\020\000\000\000\000\000\000\000\000\000\300\177\000\000\000\077\000\000\000\000' >>in.wav
summary=$("$render" --plugin "$bundle" --force in.wav out.wav)
echo "$summary"
echo "$summary" | grep -q 'output peak not finite; non-finite samples: 1 in, 1 out$'
summary=$("$render" --plugin "$bundle" --force --set "Comp Enable=On" in.wav out.wav)
echo "$summary"
echo "$summary" | grep -q 'output peak -[0-9.]* dBFS; non-finite samples: 1 in, 0 out$'
