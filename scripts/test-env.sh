# Sourced by scripts/check.sh: a display and a sound server for the Windows tests.
# Xvfb gives windows somewhere to appear; PulseAudio with a null sink and a pipe
# source stands in for the sound card and the microphone.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

HALYARD_RUN_DIR="${HALYARD_RUN_DIR:-/tmp/halyard-run-$$}"
mkdir -p "$HALYARD_RUN_DIR"
export HALYARD_RUN_DIR

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      HALYARD_XVFB_PID=$!
      export DISPLAY=":$n"
      break
    fi
  done
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
fi

if command -v pulseaudio >/dev/null 2>&1; then
  export PULSE_RUNTIME_PATH="$HALYARD_RUN_DIR/pulse"
  mkdir -p "$PULSE_RUNTIME_PATH"
  # module-pipe-source makes the FIFO itself and refuses to load when the
  # file already exists, which would leave the server without a microphone.
  rm -f "$HALYARD_RUN_DIR/mic.fifo"
  pulseaudio -n --daemonize=yes --exit-idle-time=-1 --system=false \
    -L module-native-protocol-unix -L "module-null-sink sink_name=out" \
    -L "module-pipe-source source_name=mic file=$HALYARD_RUN_DIR/mic.fifo format=s16le rate=8000 channels=1" \
    >/dev/null 2>&1 || true
fi

# Wine's server and its service processes start with the first program of a
# prefix and inherit that program's output. Were a test to start them, ctest
# would wait for them to let go of its output, that is until every other
# Windows test of the run had ended, and count the wait against that test
# (a test that passes in 13 s could time out at 120). Started here instead,
# persistent and writing nowhere, they serve every test and end with the run.
halyard_wine_serve() {
  (
    halyard_wine_use "$1"
    wineserver -w >/dev/null 2>&1 || true  # one started a moment ago ends first
    wineserver -p </dev/null >/dev/null 2>&1
    bash "$(dirname "${BASH_SOURCE[0]}")/wine-run.sh" --arch "$1" cmd /c exit 0 </dev/null >/dev/null 2>&1
  ) || true
}

# Runs from an EXIT trap under `set -e`: no failing command may end it early.
halyard_test_env_stop() {
  if [ -n "${HALYARD_XVFB_PID:-}" ]; then kill "$HALYARD_XVFB_PID" 2>/dev/null || true; fi
  if command -v pulseaudio >/dev/null 2>&1; then pulseaudio --kill >/dev/null 2>&1 || true; fi
  if command -v wineserver >/dev/null 2>&1; then
    local arch
    for arch in win32 win64; do
      (halyard_wine_use "$arch" && wineserver -k >/dev/null 2>&1) || true
    done
  fi
  return 0
}
