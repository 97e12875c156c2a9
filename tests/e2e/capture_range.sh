#!/usr/bin/env bash
# A virtual-time capture writes exactly the frames of its range as PNGs and ends with status 0;
# the options are checked.
source "$(dirname "$0")/common.sh"
make_data
cd "$WORK"
"$BIN" --help | grep -q -- '--capture DIR' || fail "--help does not describe --capture"
"$BIN" --bogus 2>/dev/null; [ $? = 2 ] || fail "an unknown option is not a usage error"
"$BIN" --from 1 2>/dev/null; [ $? = 2 ] || fail "--from without --capture is accepted"
timeout 60 "$BIN" --capture "$WORK/frames" --from 0.1 --to 0.2 || fail "capture ended with status $?"
got=$(cd "$WORK/frames" && ls | tr '\n' ' ')
[ "$got" = "frame-00003.png frame-00004.png frame-00005.png " ] || fail "frames written: $got"
file "$WORK/frames/frame-00005.png" | grep -q '640 x 480' || fail "frame is not a 640x480 PNG"
echo PASS
