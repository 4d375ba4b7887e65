#!/bin/sh
# Starts DaluMaster, or its command-line tool when called as dalumaster-cli, from the
# program directory installed beside this script: <prefix>/lib/dalumaster/DALU/.
#
# The program keeps its configuration (DaluCfg.txt) and its records (GameData/) in its own
# directory, which it finds from its executable's real path. Installed into a prefix the
# user owns (cmake --install build --prefix ~/.local), that directory is writable and the
# program starts in place. Installed where the user cannot write (/usr/local, /usr), the
# launcher keeps a private program directory in
# ${XDG_DATA_HOME:-~/.local/share}/dalumaster/DALU/: the installed files are copied there
# (again whenever an installed file differs from its copy, so an upgrade reaches it), the
# user's DaluCfg.txt and GameData/ are never overwritten, and the copy is started.
set -eu

case "$(basename "$0")" in
  dalumaster-cli) program=dalumaster-cli ;;
  *) program=dalumaster ;;
esac
here=$(dirname "$(readlink -f "$0")")
installed=$(cd "$here/../lib/dalumaster/DALU" && pwd -P)

if [ -w "$installed" ] && [ -w "$installed/GameData" ]; then
  exec "$installed/$program" "$@"
fi

private=${XDG_DATA_HOME:-$HOME/.local/share}/dalumaster/DALU
mkdir -p "$private/GameData"
(cd "$installed" && find . -path ./GameData -prune -o -type f -print) | while IFS= read -r f; do
  [ "$f" = ./DaluCfg.txt ] && continue
  if ! cmp -s "$installed/$f" "$private/$f"; then
    mkdir -p "$(dirname "$private/$f")"
    # Through a temporary name, so a copy that fails half-way is never started.
    cp "$installed/$f" "$private/$f.new"
    mv -f "$private/$f.new" "$private/$f"
  fi
done
exec "$private/$program" "$@"
