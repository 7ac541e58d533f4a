#!/bin/sh
# Makes alarm-tone.wav, the tone that sounds when an alarm's own sound file cannot be played:
# two bursts of four short 1760 Hz beeps, mono, 16-bit, 22.05 kHz, 2 seconds.
set -eu
cd "$(dirname "$0")"
sox -D -n -r 22050 -c 1 -b 16 alarm-tone.wav \
    synth 0.12 sine 1760 fade q 0.005 0.12 0.01 vol 0.8 pad 0 0.08 repeat 3 \
    pad 0 0.2 repeat 1
