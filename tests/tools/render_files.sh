#!/bin/sh
# The renderer as a careless or adversarial user drives it: files it must refuse before
# rendering, outputs that must come out whole (or not at all), inputs it must read a
# block at a time, and command lines it must not guess at.
#   render_files.sh RENDER BUNDLE DIGEST
set -u
render=$1 bundle=$2 digest=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
r() { "$render" --plugin "$bundle" "$@"; }
frames() { "$digest" "$1" | cut -d' ' -f2; }

r --force >/dev/null 2>&1 && mv example-out.wav in.wav || fail "the example does not render"
[ "$(frames in.wav)" = 192000 ] || fail "the example is not 192000 frames"

# Refused before any audio is processed, leaving nothing behind.
for out in missing/out.wav "$work" out.mp3 noextension; do
  r --force in.wav "$out" >/dev/null 2>&1; [ $? = 1 ] || fail "output $out not refused"
done
r --force --state-out missing/state.bin in.wav o.wav >/dev/null 2>&1; [ $? = 1 ] || fail "--state-out to a missing folder not refused"
[ ! -e o.wav ] || fail "a refused render wrote its output"
ls -a | grep -q part && fail "a temporary file was left behind"

# Command lines that mean nothing are refused, not guessed at.
for args in "--block 99999" "--block 12abc" "--block 0" "--rate 1"; do
  r $args >/dev/null 2>&1; [ $? = 2 ] || fail "$args not refused"
done
# An empty value (an unset variable) is no value: nothing is silently left out.
for option in --state-out --state-in --sidechain --plugin; do
  r --force "$option" "" in.wav e.wav >/dev/null 2>&1; [ $? = 2 ] || fail "$option \"\" not refused"
done
r --force "" >/dev/null 2>&1; [ $? = 2 ] || fail "an empty input name renders the example"
for t in abc -5 "" 1e30 inf; do
  r --force --automate "Comp Enable=On@$t" in.wav a.wav >/dev/null 2>&1; [ $? = 1 ] || fail "automation time \"$t\" not refused"
done
r --force --automate "Comp Enable=On@60" in.wav a.wav 2>err.txt >/dev/null
grep -q "after the end" err.txt || fail "a point after the end is dropped without a word"

# Integer formats clip with a warning, and the file is whole; rendering in place keeps
# the input intact until the new file replaces it.
r --force --set "Output Gain=12" in.wav loud.flac 2>err.txt >/dev/null || fail "FLAC above full scale fails"
grep -q "clipped" err.txt || fail "no word about clipping"
[ "$(frames loud.flac)" = 192000 ] || fail "the FLAC file is not whole"
cp loud.flac again.flac
r --force --set "Output Gain=-6" again.flac again.flac >/dev/null 2>&1 || fail "in-place render fails"
[ "$(frames again.flac)" = 192000 ] || fail "the in-place output is not whole"

# Default output names keep folders and dotted names.
mkdir my.dir && cp in.wav my.dir/song && cp in.wav song
r my.dir/song >/dev/null 2>&1 && [ -e my.dir/song-out.wav ] || fail "my.dir/song does not give my.dir/song-out.wav"
r ./song >/dev/null 2>&1 && [ -e song-out.wav ] || fail "./song does not give ./song-out.wav"

# Without compensation the latency is kept at the start and the tail is not cut.
r --force --no-compensate --set "Oversample Enable=On" in.wav nc.wav >/dev/null 2>&1
[ "$(frames nc.wav)" = 192279 ] || fail "--no-compensate does not keep the tail ($(frames nc.wav) frames)"

# A piped WAV whose header does not know its length streams like a file.
patch() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null; }
cp in.wav unknown.wav
data=$(grep -obUa data unknown.wav | head -1 | cut -d: -f1)
patch unknown.wav 4 '\377\377\377\377'
patch unknown.wav $((data + 4)) '\377\377\377\377'
cat unknown.wav | r --force - piped.wav >/dev/null 2>&1 || fail "a piped WAV of unknown length fails"
[ "$(frames piped.wav)" = 192000 ] || fail "the piped render is not 192000 frames"

# Rates outside 8 kHz to 384 kHz are refused: 1 Hz and 2147483647 Hz.
for rate in '\001\000\000\000' '\377\377\377\177'; do
  cp in.wav rate.wav && patch rate.wav 24 "$rate"
  r --force rate.wav rate-out.wav >/dev/null 2>&1; [ $? = 1 ] || fail "a file at an odd rate is not refused"
done

[ $failures = 0 ]
