#!/usr/bin/env bash
# Makes the simulator's sample media: short MPEG-4 test-pattern streams as a
# camera sends them (simple profile, no B-pictures) and a short speech clip
# at 8 kHz. The files are committed; run this only to make them anew.
set -euo pipefail
cd "$(dirname "$0")"
stream() {  # size rate seconds name
  ffmpeg -v error -y -f lavfi -i "testsrc=size=$1:rate=$2" -t "$3" \
    -c:v mpeg4 -q:v 8 -g "$2" -bf 0 -f m4v "$4"
}
stream 176x144 15 6 test_176x144.m4v
stream 320x240 25 6 test_320x240.m4v
stream 640x480 30 4 test_640x480.m4v
# Scenes for motion detection: a still, noisy picture for 20 s, and the same
# with a dark square crossing it from 8 to 11 s.
scene() {  # name overlay-x
  ffmpeg -v error -y \
    -f lavfi -i "color=c=0x707070:s=320x240:r=25,format=yuv420p,geq=lum='100+60*X/W+20*Y/H':cb=128:cr=128,noise=alls=6:allf=t" \
    -f lavfi -i "color=c=0x202020:s=56x56:r=25" \
    -filter_complex "[0][1]overlay=x='$2':y=90:shortest=1" -t 20 -c:v mpeg4 -q:v 6 -g 25 -bf 0 -f m4v "$1"
}
scene still_320x240.m4v -200
scene motion_320x240.m4v 'if(between(t,8,11),(t-8)*125-56,-200)'
espeak-ng -s 150 -w /tmp/halyard-speech.wav \
  "This is camera one of the Halyard simulator. Sound check, one, two, three."
sox /tmp/halyard-speech.wav -r 8000 -c 1 -b 16 speech_8k.wav
rm -f /tmp/halyard-speech.wav
