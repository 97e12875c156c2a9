#!/usr/bin/env bash
# The include rule of the source tree (CONVENTIONS.md, Layout): what each folder may include.
#   include_rule.sh SRC_DIR
# Prints every include that breaks the rule and fails when there is one.
set -u
cd "$1" || { echo "FAIL: no source tree at $1" >&2; exit 1; }
broken=0
# check FOLDER ALLOWED_REGEX: every quoted include of the folder's files must match.
check() {
  local folder=$1 allowed=$2 line
  while IFS= read -r line; do
    echo "not allowed in $folder/: $line" >&2
    broken=1
  done < <(grep -rHn '#include "' "$folder" | grep -vE "#include \"($allowed)[^\"]*\"")
}
show='app/|timeline/|scenes/|render/|formats/'
top='platform/(win32|fsound|wall_clock)\.h'
for folder in app timeline scenes render formats; do check "$folder" "$show|$top"; done
for service in sound time gl options; do check "platform/$service" "platform/$service/|$top|platform/time/virtual_time\.h"; done
check platform/winapi "platform/winapi/|$top|platform/time/virtual_time\.h|platform/gl/(offscreen|picture_scale|picture_fit)\.h|platform/webgl/picture_webgl\.h"
# The browser's GL stand-in is self-contained (GLU, the font and the show reach it through
# <GL/gl.h> alone) but for the fit it shares with the native picture.
check platform/webgl "platform/webgl/|platform/gl/picture_fit\.h"
# The programs on top hand over to the show (and on Linux to the virtual-time runs); nothing
# includes them.
check main/linux "main/linux/|platform/|capture/|timeline/frame\.h|app/(music|app|assets)\.h|ks_build_config\.h"
check main/web "main/web/|platform/|capture/bench\.h|timeline/frame\.h|app/(music|app|assets)\.h|ks_build_config\.h"
while IFS= read -r line; do
  echo "includes a program's entry: $line" >&2
  broken=1
done < <(grep -rHn '#include "main/' --exclude-dir=main .)
check capture "capture/|platform/|timeline/frame\.h|app/music\.h|app/app\.h"
# The platform is the ground, whatever its folders: nothing under it reaches up.
while IFS= read -r line; do
  echo "the platform reaches up: $line" >&2
  broken=1
done < <(grep -rHnE '#include "(app|timeline|scenes|render|formats|capture|main)/' platform)
# No loose sources at the platform's top: a file belongs to the folder of its service.
for file in platform/*; do
  [ -d "$file" ] || [[ "$file" =~ ^platform/(win32|fsound|wall_clock)\.h$ ]] ||
    { echo "not in a service folder: $file" >&2; broken=1; }
done
[ "$broken" = 0 ] || { echo "FAIL: the include rule is broken (CONVENTIONS.md, Layout)" >&2; exit 1; }
echo "include rule holds"
