# Sourced by the recording tests: what ffprobe says of a recording beyond
# ffmpeg's known gaps (no decoder for the scene and object descriptor
# streams; the private sound type 0xC1 taken for FLAC).
probe_warnings() {
  ffprobe -v warning -show_entries stream=index "$1" 2>&1 >/dev/null |
    grep -vE 'Unsupported codec with id 0 for input stream [0-9]+$' |
    grep -vE '^\[flac @ [0-9a-fx]+\] (invalid sync code|invalid frame header|decode_frame\(\) failed)$' |
    grep -vE 'Could not find codec parameters for stream 1 \(Audio: flac .*unspecified sample format$' |
    grep -vE "^Consider increasing the value for the 'analyzeduration'" || true
}
