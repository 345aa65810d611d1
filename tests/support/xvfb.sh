# Sourced by the scripts that need a real X server: start_xvfb FIRST LAST SIZE starts Xvfb
# on the first free display (no socket file, no lock, no abstract socket) from :FIRST to :LAST
# with a screen of SIZE (WxHxDEPTH), and sets
# `display` (":N") and `xvfb` (its pid); both stay empty when no display could be started.
# -noreset: without it the server resets when its last client leaves, and the game's second
# connection (SDL opens the display twice) can land in that reset and fail.
start_xvfb() {
  display=""
  xvfb=""
  local n
  for n in $(seq "$1" "$2"); do
    { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
    # A server of another root (a chroot has its own /tmp) still holds the abstract socket.
    grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix 2>/dev/null && continue
    Xvfb ":$n" -screen 0 "$3" -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      display=":$n"
      return 0
    fi
    kill "$xvfb" 2>/dev/null || true
    xvfb=""
  done
  return 1
}
