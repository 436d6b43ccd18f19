#!/usr/bin/env bash
# Installs what is missing, builds, and starts a program on the simulated modem:
#   bash scripts/try.sh [quillet|dorrin]
# The simulator's console stays on: type `help` for its verbs (`sms +8613912345678 hello`,
# `ring 10086`, `hangup`, ...) while the window runs. Without a display the window is served by
# VNC on port 5900.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program=${1:-quillet}
case "$program" in
    quillet | dorrin) ;;
    *)
        echo "usage: $0 [quillet|dorrin]" >&2
        exit 2
        ;;
esac

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target "$program" modemsim

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "no display: the window is served by VNC on port 5900 (connect a VNC viewer)"
    export QT_QPA_PLATFORM=vnc:size=800x600:port=5900
fi
exec "$root/build/bin/modemsim" --console run "$root/build/bin/$program"
