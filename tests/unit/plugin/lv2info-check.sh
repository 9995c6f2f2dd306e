#!/usr/bin/env bash
# lv2info, pointed at the bundle in the build tree, must find the plugin by
# its URI and list its audio and control ports; its Turtle dump (-p: what
# lilv read from the bundle) must name the 18 parameters (the renderer's 17
# and the Quality) as writable and the control input as taking MIDI.
# lv2info's text leaves both of those out.
set -euo pipefail

bundle=$1
uri=https://velthorn.audio/plugins/velthorn
dump=$(mktemp)
trap 'rm -f "$dump"' EXIT
export LV2_PATH=$(dirname "$bundle")
info=$(lv2info "$uri")
lv2info -p "$dump" "$uri" >/dev/null
failed=0

expect() {
    if ! grep -qE -- "$1" <<<"$info"; then
        echo "lv2info output lacks: $1"
        failed=1
    fi
}

expect "^$uri\$"
expect "Name: +Velthorn"
expect "Bundle: +file://$bundle/"
for symbol in audio_in_1 audio_in_2 audio_out_1 audio_out_2 in out enabled; do
    expect "Symbol: +$symbol\$"
done
expect "http://lv2plug.in/ns/ext/atom#AtomPort"

if ! grep -q "<http://lv2plug.in/ns/ext/atom#supports> <http://lv2plug.in/ns/ext/midi#MidiEvent>" "$dump"; then
    echo "the control input does not say it takes MIDI"
    failed=1
fi

# The objects of patch:writable, up to the end of that statement.
writable=$(awk '/patch#writable>/ { on = 1 } on { print } on && /[;.][[:space:]]*$/ { exit }' "$dump" \
           | grep -oE "<$uri:[A-Za-z]+>" | sed -E "s|<$uri:([A-Za-z]+)>|\\1|" | sort | tr '\n' ' ')
expected=$(printf '%s\n' delTme delAm delOn wahFreq wahRes wahGain wahOn distGain distFreq distOn \
                          ampDrv ampLo ampMid ampHi ampOn mast mastOn quality | sort | tr '\n' ' ')
if [ "$writable" != "$expected" ]; then
    echo "writable parameters: $writable"
    echo "expected:            $expected"
    failed=1
fi

if [ $failed -ne 0 ]; then
    echo "--- lv2info said:"
    echo "$info"
fi
exit $failed
