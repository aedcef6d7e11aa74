# Sourced by the tool scripts: starts an Xvfb of their own on a free display,
# exports DISPLAY and sets xvfb_pid for the caller's EXIT trap to stop it.
# Returns non-zero when the server does not answer within 10 s.
display_number=90
while [ -e "/tmp/.X${display_number}-lock" ] || [ -e "/tmp/.X11-unix/X${display_number}" ]; do
    display_number=$((display_number + 1))
done
Xvfb ":${display_number}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":${display_number}"
xvfb_tries=100
while [ "$xvfb_tries" -gt 0 ] && ! xdpyinfo >/dev/null 2>&1; do
    xvfb_tries=$((xvfb_tries - 1))
    sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; false; }
