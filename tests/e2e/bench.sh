#!/usr/bin/env bash
# The benchmark: a virtual-time run of the whole show without output, ending with status 0 and a
# report on standard output whose rows are the windows of the show's schedule, each with the
# frames that fall in it, then the summary, the renderer and the start-up time.
source "$(dirname "$0")/common.sh"
make_data
cd "$WORK"
timeout -k 5 1200 "$BIN" --bench >out 2>err || { cat err >&2; fail "--bench ended with status $?"; }
[ ! -e frames ] && [ -z "$(ls "$WORK" | grep -v -e '^data$' -e '^out$' -e '^err$')" ] || fail "--bench wrote files"
# Frame N is drawn at N x 40 ms, 0 to 233.04 s (5827 frames): each row counts the frames within
# its window's bounds, reckoned from those times.
expect_row() {
  local name=$1 frames=$2 got
  got=$(grep -F -- "$name" out | awk '{ for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+$/) { print $i; exit } }')
  [ -n "$got" ] || { cat out >&2; fail "no row \"$name\""; }
  [ "$got" = "$frames" ] || { cat out >&2; fail "row \"$name\": $got frames, wanted $frames"; }
}
grep -q '^window (music seconds) *frames *mean_ms' out || { cat out >&2; fail "no header row"; }
expect_row 'T<=0.1        clear only' 3             # 0 (before loading), 0.04, 0.08
expect_row '0.1<T<28      opening, panels' 697      # 0.12 .. 27.96 (27.96 is 699 x 0.04)
expect_row '28<=T<=69     model room, side panels' 1026  # 28.00 .. 69.00
expect_row '65<T<=90      slab and kites' 625       # 65.04 .. 90.00
expect_row '126<T<=130    funnel burst' 100         # 126.04 .. 130.00
expect_row '90<T<128.5    clock hall' 962           # 90.04 .. 128.48
expect_row '130<=T<=148   ring tube' 451            # 130.00 .. 148.00
expect_row '148<T<=176    title board' 700          # 148.04 .. 176.00
expect_row '176<T<=193    water room' 425           # 176.04 .. 193.00
expect_row '193<T         water room, credits' 1001 # 193.04 .. 233.04 (the frame that closes the window)
[ "$(grep -c '' out)" = 14 ] || { cat out >&2; fail "the report has $(grep -c '' out) lines, wanted 14"; }
grep -qE '^bench: frames=5827 p50_ms=[0-9.]+ .* realtime=[0-9.]+$' out || { cat out >&2; fail "no summary line for 5827 paints"; }
grep -q '^bench: renderer .*bits a channel, depth' out || { cat out >&2; fail "no renderer line"; }
grep -qE '^bench: startup_ms=[0-9.]+ ' out || { cat out >&2; fail "no start-up line"; }
echo "bench report:"; cat out
