#!/usr/bin/env bash
# A virtual-time capture writes exactly the frames of its range as PNGs and ends with status 0;
# a capture to the end of the show ends by itself on the show's last frame (233.00 s); the
# options are checked.
source "$(dirname "$0")/common.sh"
make_data
cd "$WORK"
"$BIN" --help | grep -q -- '--capture DIR' || fail "--help does not describe --capture"
"$BIN" --help | grep -q -- '--audio-offset MS' || fail "--help does not describe --audio-offset"
"$BIN" --bogus 2>/dev/null; [ $? = 2 ] || fail "an unknown option is not a usage error"
# (--from alone is a live start part-way; --to only limits a capture.)
"$BIN" --to 1 2>/dev/null; [ $? = 2 ] || fail "--to without --capture is accepted"
"$BIN" --bench --from 1 2>/dev/null; [ $? = 2 ] || fail "--from with --bench is accepted"
"$BIN" --capture d --loop 2>/dev/null; [ $? = 2 ] || fail "--loop with --capture is accepted"
for bad in "--at 1" "--capture d --at 1,,2" "--capture d --at 1 --from 2" "--capture v.mkv --at 1" \
           "--capture d --at 240" "--capture d --from nan" "--capture d --at inf" "--no-fast-forward" \
           "--bench --no-fast-forward" "--audio-offset" \
           "--audio-offset 200ms" "--audio-offset 9000" "--capture d --audio-offset 100" "--bench --audio-offset -50"; do
  "$BIN" $bad 2>/dev/null; [ $? = 2 ] || fail "\"$bad\" is not a usage error"
  [ ! -e d ] && [ ! -e v.mkv ] || fail "\"$bad\" wrote something"
done
timeout 60 "$BIN" --capture "$WORK/frames" --from 0.1 --to 0.2 || fail "capture ended with status $?"
got=$(cd "$WORK/frames" && ls | tr '\n' ' ')
[ "$got" = "frame-00003.png frame-00004.png frame-00005.png " ] || fail "frames written: $got"
file "$WORK/frames/frame-00005.png" | grep -q '640 x 480' || fail "frame is not a 640x480 PNG"
# On a terminal the progress line is rewritten in place, the last one too.
script -qec "timeout 60 '$BIN' --capture '$WORK/tty' --from 0.1 --to 0.2" /dev/null | grep -q $'\rcapture: 3 frames' ||
  fail "on a terminal the progress is not one line rewritten in place"
# No end given: the frames before 232.96 s are fast-forwarded, and the show's own end (the frame
# after 233 s) closes the run after frame 5825.
timeout -k 5 120 "$BIN" --capture "$WORK/end" --from 232.96 2>"$WORK/stderr" || { cat "$WORK/stderr" >&2; fail "capture to the end ended with status $?"; }
got=$(cd "$WORK/end" && ls | tr '\n' ' ')
[ "$got" = "frame-05824.png frame-05825.png " ] || fail "frames written at the end of the show: $got"
grep -q 'capture: 2 frames, show time 233.00 s of 233.00 s' "$WORK/stderr" || fail "final line: $(tr '\r' '\n' <"$WORK/stderr" | tail -1)"
# A data error during loading, after frame 0 went to the writers, ends the run as the show ends
# it (status 1, the reason on stderr), not with a crash of the writer threads.
mkdir -p "$WORK/broken/data"
for f in "$DATA"/*; do [ "$(basename "$f")" = golem.jpg ] || ln -s "$f" "$WORK/broken/data/"; done
(cd "$WORK/broken" && timeout -k 5 30 "$BIN" --capture frames 2>stderr)
status=$?
[ "$status" = 1 ] || { cat "$WORK/broken/stderr" >&2; fail "a missing texture in a capture gives status $status, wanted 1"; }
grep -q 'data/golem.jpg' "$WORK/broken/stderr" || fail "the missing texture is not named"
grep -q '^ERROR!!!: Error!!!$' "$WORK/broken/stderr" || fail "the data-error box is not on stderr"
echo PASS
