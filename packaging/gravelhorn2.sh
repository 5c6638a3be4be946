#!/bin/sh
# Starts an installed Gravelhorn 2. The program keeps Config.cfg (settings and
# the local high scores) in the folder that holds it, and an installed copy's
# folder is usually read-only. So it runs from a per-user folder,
# ${XDG_DATA_HOME:-~/.local/share}/gravelhorn2: a copy of the program there,
# refreshed when the installed one changes, beside links to the installed
# engine library and Data/.
set -e
here=$(dirname "$(readlink -f "$0")")
lib=$(readlink -f "$here/../lib/gravelhorn2")
if [ ! -x "$lib/gravelhorn2" ]; then
  echo "Gravelhorn 2: the installed program is missing from $lib" >&2
  exit 1
fi
if [ -n "$XDG_DATA_HOME" ]; then
  home="$XDG_DATA_HOME/gravelhorn2"
elif [ -n "$HOME" ]; then
  home="$HOME/.local/share/gravelhorn2"
else
  echo "Gravelhorn 2: neither XDG_DATA_HOME nor HOME is set: no folder for Config.cfg" >&2
  exit 1
fi
if ! mkdir -p "$home" 2>/dev/null || [ ! -w "$home" ]; then
  echo "Gravelhorn 2: cannot write to $home (it keeps Config.cfg)" >&2
  exit 1
fi
ln -sfn "$lib/Data" "$home/Data"
ln -sfn "$lib/system.so" "$home/system.so"
if ! cmp -s "$lib/gravelhorn2" "$home/gravelhorn2"; then
  cp "$lib/gravelhorn2" "$home/.gravelhorn2.new"
  mv -f "$home/.gravelhorn2.new" "$home/gravelhorn2"
fi
exec "$home/gravelhorn2" "$@"
