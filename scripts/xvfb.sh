# Sourced by the scripts: one private Xvfb server per run, so Windows programs under
# Wine get a display without touching the user's. Sets DISPLAY; stop_xvfb ends it.
KQ_XVFB_PID=""

start_xvfb() {
  local n
  for n in $(seq 90 130); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      KQ_XVFB_PID=$!
      local i
      for i in $(seq 1 50); do
        if [ -e "/tmp/.X11-unix/X${n}" ]; then
          export DISPLAY=":$n"
          return 0
        fi
        sleep 0.1
      done
      kill "$KQ_XVFB_PID" 2>/dev/null || true
    fi
  done
  echo "xvfb: no free display" >&2
  return 1
}

stop_xvfb() {
  if [ -n "$KQ_XVFB_PID" ]; then
    kill "$KQ_XVFB_PID" 2>/dev/null || true
    wait "$KQ_XVFB_PID" 2>/dev/null || true
    KQ_XVFB_PID=""
  fi
}
