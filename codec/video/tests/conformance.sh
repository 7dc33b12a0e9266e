#!/usr/bin/env bash
# Decoder conformance: streams made by ffmpeg's encoders, and reversible-texture
# streams made by our test writer (no encoder here writes those), are decoded by
# m4vdec and by ffmpeg; every frame must be present and match within the PSNR
# limits, and m4vdec's portable kernels must reproduce its processor-specific
# ones exactly.
#
#   conformance.sh [--writer PARTITIONED_STREAM] M4VDEC [EMULATOR...]
# M4VDEC decodes and computes the PSNR; a Windows build runs through EMULATOR.
set -u
writer=""
if [ "${1:-}" = "--writer" ]; then writer="$2"; shift 2; fi
dec="$1"; shift
emu=("$@")
# Paths as the decoder sees them (Windows paths under the decoder's own Wine).
hostpath() {
  if [ ${#emu[@]} -gt 0 ]; then "${emu[@]}" --like "$dec" winepath -w "$1" 2>/dev/null | tr -d '\r'; else echo "$1"; fi
}
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
min_avg=45
min_frame=38
fail=0

# name size encoder-options...
cases=(
  "mpeg4_plain 176x144 -c:v mpeg4 -g 15 -b:v 150k"
  "mpeg4_qscale2 176x144 -c:v mpeg4 -g 30 -qscale:v 2"
  "mpeg4_mv4 176x144 -c:v mpeg4 -g 15 -flags +mv4 -b:v 150k"
  "mpeg4_resync 352x288 -c:v mpeg4 -g 15 -ps 600 -b:v 300k"
  "mpeg4_partitioned 352x288 -c:v mpeg4 -g 15 -ps 600 -data_partitioning 1 -b:v 300k"
  "mpeg4_partitioned_mv4 176x144 -c:v mpeg4 -g 15 -ps 300 -data_partitioning 1 -flags +mv4 -qscale:v 4"
  "h263_sqcif 128x96 -c:v h263 -g 15 -b:v 64k"
  "h263_qcif 176x144 -c:v h263 -g 15 -b:v 100k"
  "h263_cif 352x288 -c:v h263 -g 15 -ps 500 -b:v 300k"
  "mpeg4_acpred_motion 176x144 -c:v mpeg4 -g 15 -flags +aic -qscale:v 3"
  "mpeg4_mv4_partitioned_motion 352x288 -c:v mpeg4 -g 20 -flags +aic+mv4 -ps 500 -data_partitioning 1 -qscale:v 5"
  "h263_motion 176x144 -c:v h263 -g 20 -qscale:v 5"
  "xvid_qcif 176x144 -c:v libxvid -g 15 -b:v 150k"
  "xvid_motion 176x144 -c:v libxvid -g 30 -qscale:v 4"
  "xvid_cif 352x288 -c:v libxvid -g 30 -qscale:v 3"
  "mpeg4_rate8 176x144 -c:v mpeg4 -r 8 -g 15 -qscale:v 4"
  "mpeg4_rate16 176x144 -c:v mpeg4 -r 16 -g 15 -qscale:v 4"
  "mpeg4_rate32 176x144 -c:v mpeg4 -r 32 -g 15 -ps 300 -qscale:v 4"
)

# check NAME SIZE SOURCE: decode with ffmpeg and m4vdec and compare.
check() {
  local name="$1" size="$2" src="$3" nref nout avg worst report verdict
  ffmpeg -v error -y -i "$src" -fps_mode passthrough -f rawvideo -pix_fmt yuv420p "$work/$name.ref.yuv"
  if ! "${emu[@]}" "$dec" "$(hostpath "$src")" "$(hostpath "$work/$name.out.yuv")" 2>/dev/null; then
    echo "FAIL $name: m4vdec failed"; fail=1; return
  fi
  # The portable kernels must give the very same pictures.
  "${emu[@]}" "$dec" --plain "$(hostpath "$src")" "$(hostpath "$work/$name.plain.yuv")" 2>/dev/null
  if ! cmp -s "$work/$name.out.yuv" "$work/$name.plain.yuv"; then
    echo "FAIL $name: portable and processor-specific kernels differ"; fail=1
  fi
  report="$("${emu[@]}" "$dec" --compare "$(hostpath "$work/$name.ref.yuv")" \
            "$(hostpath "$work/$name.out.yuv")" "$size" | tr -d '\r')"
  read -r _ nref nout <<<"$(head -1 <<<"$report")"
  read -r _ avg _ worst <<<"$(tail -1 <<<"$report")"
  verdict=ok
  if [ "$nref" != "$nout" ] || [ "$nref" -lt 40 ]; then verdict="FAIL frames $nout of $nref"; fi
  if awk -v a="$avg" -v w="$worst" -v ma="$min_avg" -v mw="$min_frame" 'BEGIN{exit !(a < ma || w < mw)}'; then
    verdict="FAIL psnr"
  fi
  echo "$verdict $name: frames $nout/$nref average $avg dB worst $worst dB"
  [ "$verdict" = ok ] || fail=1
}

for c in "${cases[@]}"; do
  set -- $c
  name="$1"; size="$2"; shift 2
  fmt=m4v
  case "$name" in h263*) fmt=h263 ;; esac
  src="$work/$name.$fmt"
  # "motion" streams scroll the picture: large vectors, wider fcodes, vectors over the border.
  input="testsrc2=size=$size:rate=25"
  case "$name" in *motion*) input="$input,scroll=h=0.03:v=0.02" ;; esac
  if ! ffmpeg -v error -y -f lavfi -i "$input" -frames:v 40 "$@" -f "$fmt" "$src"; then
    echo "FAIL $name: ffmpeg could not encode"; fail=1; continue
  fi
  check "$name" "$size" "$src"
done

# Reversible texture. The IDCTs differ, so the PSNR limits alone would let one
# wrong table entry pass; ffmpeg must also decode the reversible coding exactly
# as it decodes the ordinary coding of the same content.
if [ -n "$writer" ]; then
  for seed in 0 1; do  # 0: every word of the reversible table; 1: random content
    name="reversible_$seed"
    src="$work/$name.m4v"
    twin="$work/${name}_ordinary.m4v"
    if ! "${emu[@]}" "$writer" "$seed" "$(hostpath "$src")" ||
       ! "${emu[@]}" "$writer" "$seed" "$(hostpath "$twin")" --ordinary; then
      echo "FAIL $name: the test writer failed"; fail=1; continue
    fi
    check "$name" 176x144 "$src"
    ffmpeg -v error -y -i "$twin" -fps_mode passthrough -f rawvideo -pix_fmt yuv420p "$work/$name.twin.yuv"
    if ! cmp -s "$work/$name.ref.yuv" "$work/$name.twin.yuv"; then
      echo "FAIL $name: ffmpeg decodes the reversible and the ordinary coding differently"; fail=1
    fi
  done
fi
[ $fail -eq 0 ] && echo "conformance: all streams within limits"
exit $fail
