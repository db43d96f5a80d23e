#!/usr/bin/env bash
# Draws the README's pictures of the main window, every dialog, the "Дополнительно" menu,
# a prompt and the file dialog into docs/screenshots, under a virtual X server so that
# they can be made again after a change. Installs Xvfb when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v xvfb-run > /dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y xvfb xauth
fi
make build > /dev/null
# A home of its own, so that nothing of the user's desktop settings shows in the pictures.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME=$home XDG_CONFIG_HOME=$home/.config LANG=ru_RU.UTF-8 \
  xvfb-run -a -s "-screen 0 1280x900x24" build/src/gui/pictorand-screenshots docs/screenshots
