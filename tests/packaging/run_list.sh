#!/usr/bin/env bash
# ./run.sh's package list installs and builds the program without the test suite's tools: no
# Wine, mingw-w64, X server, window manager, PulseAudio, GoogleTest or clang, neither named nor
# pulled in. Simulated with `apt-get -s` on a base system (this machine's essential, required and
# important packages with what they depend on); the same simulation of ./test.sh's list must
# find those tools, so the check is seen to work. Then the program is configured as ./run.sh
# configures it, with GoogleTest and clang out of reach.
#   run_list.sh SOURCE_DIR
set -u
src=$1
here=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d /tmp/ks-runlist-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
forbidden='^(wine.*|.*mingw.*|xserver-xorg.*|xvfb|openbox|.*window-manager.*|pulseaudio|libgtest-dev|googletest|clang(-[0-9]+)?|libclang-rt.*)$'

"$src/setup.sh" --list play >"$WORK/play" || fail "setup.sh --list play failed"
"$src/setup.sh" --list test >"$WORK/test" || fail "setup.sh --list test failed"
[ -s "$WORK/play" ] || fail "the play list is empty"
named=$(grep -E "$forbidden" "$WORK/play") && fail "./run.sh's list names: $named"

if ! apt-cache show cmake 2>/dev/null | grep -q '^Package: cmake'; then
  echo "SKIP: apt has no package lists here (apt-get update)"; exit 77
fi
python3 "$here/base_status.py" "$WORK/status" || fail "no base status"
simulate() {  # list file -> the packages apt would install, one a line, in $WORK/$1.inst
  # an "a|b" entry: the first name the archive has
  while read -r entry; do
    case "$entry" in
      *'|'*) for p in ${entry//|/ }; do apt-cache show "$p" >/dev/null 2>&1 && { echo "$p"; break; }; done ;;
      *) echo "$entry" ;;
    esac
  done <"$WORK/$1" >"$WORK/$1.names"
  apt-get -s -o Dir::State::status="$WORK/status" install --no-install-recommends $(cat "$WORK/$1.names") \
    >"$WORK/$1.sim" 2>&1 || { tail -20 "$WORK/$1.sim" >&2; fail "apt-get -s cannot install the $1 list on the base"; }
  awk '/^Inst/ {print $2}' "$WORK/$1.sim" >"$WORK/$1.inst"
}
simulate play
pulled=$(grep -E "$forbidden" "$WORK/play.inst") && fail "./run.sh's list pulls in: $(echo $pulled)"
echo "play list: $(wc -l <"$WORK/play.names") named, $(wc -l <"$WORK/play.inst") installed on the base, none of the test tools"
simulate test
for tool in wine64 xserver-xorg-core openbox pulseaudio libgtest-dev clang; do
  grep -qx "$tool" "$WORK/test.inst" || fail "the simulation of ./test.sh's list does not install $tool: the check sees nothing"
done
echo "test list: $(wc -l <"$WORK/test.inst") installed on the base, the test tools among them"

# Configured as ./run.sh does, with GoogleTest hidden (a find_package(GTest REQUIRED) would fail
# the configuration) and the GNU compilers: no test target.
cmake -S "$src" -B "$WORK/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKS_BUILD_TESTS=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc >"$WORK/configure.log" 2>&1 ||
  { cat "$WORK/configure.log" >&2; fail "the program does not configure without the test suite"; }
targets=$(cmake --build "$WORK/build" --target help 2>/dev/null)
echo "$targets" | grep -q 'kelvo-strand$' && echo "$targets" | grep -q 'content$' || fail "no program or content target"
echo "$targets" | grep -Eq 'test_|fuzz' && fail "test targets are configured: $(echo "$targets" | grep -E 'test_|fuzz' | head -3)"
echo "configured without the test suite"
echo PASS
