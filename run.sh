#!/usr/bin/env bash
# Installs what is missing, builds everything and starts the desktop program
# build/app/zestoria. The program works on its own copies of zestoria.tdb and
# zestoria.chm beside it: running it never changes data/ or the build's
# master catalogue (build/zestoria.tdb). Arguments go to the program (a .zdr
# file to import at start).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  cat >&2 <<'MSG'
run.sh: no display here ($DISPLAY and $WAYLAND_DISPLAY are empty), so the
Zestoria window has nowhere to show. Ways to run it on this machine:

  xvfb-run -a ./run.sh
      a virtual X display (package xvfb); take a screenshot with
      xvfb-run -a -s "-screen 0 1024x768x24" sh -c './run.sh & sleep 5; import -window root shot.png'

  QT_QPA_PLATFORM=vnc:addr=127.0.0.1:port=5900 ./run.sh
      Qt's VNC server on localhost only; look at it with a VNC viewer,
      through an SSH tunnel from another machine (ssh -L 5900:127.0.0.1:5900 ...).
MSG
  exit 2
fi

"$ROOT/scripts/setup.sh"

APP_DIR="$ROOT/build/app"
PROGRAM="$APP_DIR/zestoria"
if [[ ! -x "$PROGRAM" ]]; then
  echo "run.sh: the build did not produce $PROGRAM" >&2
  exit 1
fi
# The working copy of the catalogue is made once; later runs keep its changes.
if [[ ! -f "$APP_DIR/zestoria.tdb" ]]; then
  cp "$ROOT/build/zestoria.tdb" "$APP_DIR/zestoria.tdb"
fi
if [[ ! -f "$APP_DIR/zestoria.chm" ]]; then
  echo "run.sh: note: $APP_DIR/zestoria.chm is missing; Help will say so." >&2
fi
exec "$PROGRAM" "$@"
