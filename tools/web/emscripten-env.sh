# Sourced by the web build's scripts: Debian's Emscripten made to work with the node at hand.
# Emscripten 3.1.6 was made for Debian's node 18; with a newer node (20) its optimiser needs
# Debian's JavaScript modules on NODE_PATH (acorn), and JavaScript it outputs must run with
# node's built-in fetch switched off (it would fetch the .wasm file as a URL). Both mends are
# harmless with node 18. Sets:
#   KS_NODE       the node command line that runs Emscripten's output (an array)
#   KS_EMULATOR   the same for CMake's CMAKE_CROSSCOMPILING_EMULATOR (a ;-list)

for tool in emcc emcmake emconfigure emmake emar node; do
  command -v "$tool" >/dev/null || { echo "web: $tool is missing (./setup.sh installs emscripten and nodejs)" >&2; exit 1; }
done
if [ -d /usr/share/nodejs ]; then
  case ":${NODE_PATH:-}:" in
    *:/usr/share/nodejs:*) ;;
    *) export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH} ;;
  esac
fi
KS_NODE=("$(command -v node)")
if "${KS_NODE[0]}" --no-experimental-fetch -e 0 2>/dev/null; then KS_NODE+=(--no-experimental-fetch); fi
KS_EMULATOR=$(IFS=';'; echo "${KS_NODE[*]}")
