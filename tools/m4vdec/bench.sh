#!/usr/bin/env bash
# Decoding speed of m4vdec against ffmpeg, both single-threaded whole processes
# decoding the same stream to raw I420, measured in the same run so that the
# ratios still compare on a busy machine:
#   bare decode:        m4vdec IN /dev/null
#                       ffmpeg -threads 1 -i IN -f rawvideo -pix_fmt yuv420p -y /dev/null
#   with post-filter:   m4vdec --postfilter IN /dev/null
#                       the same ffmpeg with -vf pp=hb/vb/dr (libpostproc deblocking and
#                       deringing), and with -vf pp=hb/vb (deblocking only, what ours does)
# Each stream is 640x480 at 30 fps, 3000 pictures of ffmpeg's mpeg4 encoder:
#   still   a test card with a small moving part, 1.5 Mbit/s (an office at day)
#   pan     the test card drifting by fractions of a pixel under sensor noise,
#           four motion vectors per macroblock, 4 Mbit/s (a camera on a road,
#           rain): every block predicted at half-pel and coded
#   zoom    a fractal zooming in, four vectors, 6 Mbit/s: texture and motion
#           in every macroblock
#   night   the test card dark, with heavy noise that changes every picture,
#           3 Mbit/s (a camera at night)
#
#   tools/m4vdec/bench.sh [M4VDEC] [RUNS] [STREAM...]
# M4VDEC defaults to the native-release build; RUNS (3) is how many times each
# command runs, the best counting; STREAMs default to all four. Ratios are
# ffmpeg's time over ours: above 1 we are faster.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
m4vdec="${1:-$here/../../build/native-release/tools/m4vdec/m4vdec}"
runs="${2:-3}"
shift $(( $# > 2 ? 2 : $# ))
streams=(still pan zoom night)
[ $# -eq 0 ] || streams=("$@")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# make_stream NAME OUT: the stream's source and encoder settings.
make_stream() {
  local source encode
  case "$1" in
    still) source="testsrc2=size=640x480:rate=30"; encode=(-b:v 1500k) ;;
    pan) source="testsrc2=size=640x480:rate=30,scroll=h=0.0007:v=0.0004,noise=alls=12:allf=t"
         encode=(-b:v 4M -flags +mv4) ;;
    zoom) source="mandelbrot=size=640x480:rate=30"; encode=(-b:v 6M -flags +mv4) ;;
    night) source="testsrc2=size=640x480:rate=30,eq=brightness=-0.3,noise=alls=40:allf=t"
           encode=(-b:v 3M) ;;
    *) echo "bench: unknown stream '$1' (still, pan, zoom, night)" >&2; exit 2 ;;
  esac
  ffmpeg -v error -y -f lavfi -i "$source" -frames:v 3000 -c:v mpeg4 "${encode[@]}" -g 30 -f m4v "$2"
}

# Best of RUNS: prints "wall cpu" in seconds, each the smallest seen (cpu is
# user + system time of the process, less disturbed by other load).
best_of() {
  local i wall user sys cpu best_wall="" best_cpu="" t
  for ((i = 0; i < runs; i++)); do
    t="$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>&1; } 2>&1 | tail -1)"
    read -r wall user sys <<<"$t"
    cpu="$(awk -v u="$user" -v s="$sys" 'BEGIN{printf "%.3f", u + s}')"
    if [ -z "$best_wall" ] || awk -v a="$wall" -v b="$best_wall" 'BEGIN{exit !(a < b)}'; then best_wall="$wall"; fi
    if [ -z "$best_cpu" ] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN{exit !(a < b)}'; then best_cpu="$cpu"; fi
  done
  echo "$best_wall $best_cpu"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2f", a / b}'; }
row() { printf "  %-34s wall %6.3f s  cpu %6.3f s\n" "$1" "$2" "$3"; }

for name in "${streams[@]}"; do
  stream="$work/$name.m4v"
  make_stream "$name" "$stream"
  ff=(ffmpeg -v error -threads 1 -i "$stream")
  raw=(-f rawvideo -pix_fmt yuv420p -y /dev/null)
  # Interleaved, so a change in the machine's load touches every command alike.
  read -r ours_w ours_c <<<"$(best_of "$m4vdec" "$stream" /dev/null)"
  read -r ff_w ff_c <<<"$(best_of "${ff[@]}" "${raw[@]}")"
  read -r ourspf_w ourspf_c <<<"$(best_of "$m4vdec" --postfilter "$stream" /dev/null)"
  read -r ffpp_w ffpp_c <<<"$(best_of "${ff[@]}" -vf pp=hb/vb/dr "${raw[@]}")"
  read -r ffdb_w ffdb_c <<<"$(best_of "${ff[@]}" -vf pp=hb/vb "${raw[@]}")"

  echo "stream $name: 640x480, 3000 pictures, $(stat -c %s "$stream") bytes; best of $runs"
  row "m4vdec" "$ours_w" "$ours_c"
  row "ffmpeg -threads 1" "$ff_w" "$ff_c"
  row "m4vdec --postfilter" "$ourspf_w" "$ourspf_c"
  row "ffmpeg -threads 1 -vf pp=hb/vb/dr" "$ffpp_w" "$ffpp_c"
  row "ffmpeg -threads 1 -vf pp=hb/vb" "$ffdb_w" "$ffdb_c"
  echo "  ratio bare decode (ffmpeg / m4vdec):                 wall $(ratio "$ff_w" "$ours_w")  cpu $(ratio "$ff_c" "$ours_c")"
  echo "  ratio with post-filter (ffmpeg pp=hb/vb/dr / ours):  wall $(ratio "$ffpp_w" "$ourspf_w")  cpu $(ratio "$ffpp_c" "$ourspf_c")"
  echo "  ratio deblocking only (ffmpeg pp=hb/vb / ours):      wall $(ratio "$ffdb_w" "$ourspf_w")  cpu $(ratio "$ffdb_c" "$ourspf_c")"
done
