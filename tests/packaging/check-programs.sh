#!/usr/bin/env bash
# Runs the installed programs: --version and --help answer without a display
# (and leave no settings behind), a bad option is refused, and
# velthorn-render processes a small WAV file it is given.
#   check-programs.sh PREFIX VERSION
set -euo pipefail
prefix=$1 version=$2
app="$prefix/bin/Velthorn"
render="$prefix/bin/velthorn-render"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/home"

# No DISPLAY, no JACK server, a private HOME: nothing to connect to.
run() { env -i PATH=/usr/bin:/bin HOME="$scratch/home" "$@"; }
fail() { echo "FAIL: $*"; exit 1; }

out=$(run "$app" --version) || fail "Velthorn --version exited with $?"
[ "$(head -n1 <<< "$out")" = "Velthorn $version" ] || fail "Velthorn --version said: $out"
grep -q '^License GPLv3+' <<< "$out" || fail "Velthorn --version names no licence: $out"

out=$(run "$app" --help) || fail "Velthorn --help exited with $?"
grep -q '^Usage: Velthorn' <<< "$out" || fail "Velthorn --help said: $out"
grep -q -- '--version' <<< "$out" || fail "Velthorn --help does not list --version"

[ -z "$(ls -A "$scratch/home")" ] || fail "--version/--help wrote into HOME: $(ls -A "$scratch/home")"

set +e
err=$(run "$app" --no-such-option 2>&1 >/dev/null); status=$?
set -e
[ $status -eq 2 ] || fail "Velthorn --no-such-option exited with $status, not 2"
grep -q "unrecognized option '--no-such-option'" <<< "$err" || fail "Velthorn --no-such-option said: $err"
grep -q "Try 'Velthorn --help'" <<< "$err" || fail "Velthorn --no-such-option gave no hint: $err"

out=$(run "$render" --version) || fail "velthorn-render --version exited with $?"
[ "$(head -n1 <<< "$out")" = "velthorn-render $version" ] || fail "velthorn-render --version said: $out"
out=$(run "$render" --help) || fail "velthorn-render --help exited with $?"
grep -q -- '--version' <<< "$out" || fail "velthorn-render --help does not list --version"

# A tenth of a second of a 16-bit 220 Hz tone at 48 kHz, with the delay on and
# half a tenth of a second of tail: 4800 + 2400 frames out.
python3 - "$scratch/in.wav" <<'PY'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(48000)
    w.writeframes(b"".join(struct.pack("<h", int(8000 * math.sin(2 * math.pi * 220 * n / 48000))) for n in range(4800)))
PY
run "$render" "$scratch/in.wav" "$scratch/out.wav" --set delOn=1 --set delTme=0.02 --tail 0.05 --bits 16 --quiet \
    || fail "velthorn-render on a small WAV exited with $?"

python3 - "$scratch/out.wav" <<'PY' || fail "velthorn-render wrote a wrong file"
import struct, sys, wave
with wave.open(sys.argv[1], "rb") as w:
    frames = w.readframes(w.getnframes())
    shape = (w.getnchannels(), w.getframerate(), w.getsampwidth(), w.getnframes())
assert shape == (1, 48000, 2, 7200), shape
samples = struct.unpack("<%dh" % 7200, frames)
# The echo rings on into the tail, after the tone has ended.
assert max(abs(s) for s in samples[:4800]) > 1000, "no signal"
assert max(abs(s) for s in samples[4800:]) > 100, "no echo in the tail"
PY

echo "both programs run from $prefix/bin"
