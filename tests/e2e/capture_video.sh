#!/usr/bin/env bash
# A capture to .mp4 or .mkv is one video of exactly the range's frames at 25 fps, 640x480, with
# the music as its sound track starting at the first frame's music time, also after a long
# fast-forward; a music track shorter than the range never cuts the video: its sound goes on in
# silence to the video's end (.mkv) or simply ends (.mp4, which carries the MP3 as it is), or is
# silent when the range starts after the track's end; a missing or failing ffmpeg is a clear
# error with a non-zero status.
source "$(dirname "$0")/common.sh"
command -v ffprobe >/dev/null || fail "ffprobe is not installed"
make_data
cd "$WORK"
export KS_FIXED_TIME=12:34:56

probe() { ffprobe -v error -select_streams "$2" -count_frames -show_entries "$3" -of default=nw=1:nk=1 "$1" | head -1; }
near() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { exit !(a - b <= d && b - a <= d) }'; }
# Mean level (dB) of the video's sound minus the music from $2 s, over 2 s ("-inf" for silence).
residual() {
  ffmpeg -hide_banner -nostdin -i "$1" -ss "$2" -t 2 -i data/compilation.mp3 -filter_complex \
    "[0:a]atrim=duration=2,aformat=sample_fmts=fltp:sample_rates=44100:channel_layouts=mono[a];
     [1:a]aformat=sample_fmts=fltp:sample_rates=44100:channel_layouts=mono[b];
     [a][b]amerge=inputs=2,pan=mono|c0=c0-c1,volumedetect" -f null - 2>&1 |
    sed -n 's/.*mean_volume: \(.*\) dB/\1/p' | sed 's/^-inf$/-200/'
}
level() { ffmpeg -hide_banner -nostdin -ss "$1" -t 2 -i data/compilation.mp3 -af volumedetect -f null - 2>&1 |
  sed -n 's/.*mean_volume: \(.*\) dB/\1/p'; }
# End time (s) of the last packet of stream $2: the stream's length also where the container
# keeps no stream duration (Matroska).
stream_end() { ffprobe -v error -select_streams "$2" -show_entries packet=pts_time,duration_time -of csv=p=0 "$1" |
  awk -F, 'END { printf "%.3f\n", $1 + $2 }'; }
# Loudest sample (dB) of the sound of $1 from $2 s for $3 s.
peak() { ffmpeg -hide_banner -nostdin -ss "$2" -t "$3" -i "$1" -map 0:a -af volumedetect -f null - 2>&1 |
  sed -n 's/.*max_volume: \(.*\) dB/\1/p'; }
below() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { exit !(a <= b - d) }'; }
# The sound lines up with the music at $2 s, and clearly not one frame earlier or later.
check_alignment() {
  local video=$1 at=$2 margin=$3 here early late ref
  here=$(residual "$video" "$at")
  early=$(residual "$video" "$(awk -v t="$at" 'BEGIN { print t - 0.04 }')")
  late=$(residual "$video" "$(awk -v t="$at" 'BEGIN { print t + 0.04 }')")
  ref=$(level "$at")
  echo "$video: music level $ref dB; sound minus music from $at s: $here dB (one frame early $early, late $late)"
  [ -n "$here" ] && [ -n "$ref" ] || fail "$video: no sound to compare"
  below "$here" "$ref" "$margin" || fail "$video: the sound is not the music from $at s"
  below "$here" "$early" "$margin" && below "$here" "$late" "$margin" ||
    fail "$video: the sound is not aligned to the frame at $at s"
}

# .mp4: H.264 + the MP3 as it is, frames 250..300 (10.00 s to 12.00 s inclusive).
timeout 120 "$BIN" --capture "$WORK/range.mp4" --from 10 --to 12 2>"$WORK/stderr" || {
  cat "$WORK/stderr" >&2; fail "mp4 capture ended with status $?"; }
grep -q 'capture: 51 frames, show time 12.00 s of 12.00 s' "$WORK/stderr" || fail "no final progress line"
[ "$(probe range.mp4 v:0 stream=codec_name)" = h264 ] || fail "mp4 video is not H.264"
[ "$(probe range.mp4 v:0 stream=width)x$(probe range.mp4 v:0 stream=height)" = 640x480 ] || fail "mp4 is not 640x480"
[ "$(probe range.mp4 v:0 stream=r_frame_rate)" = 25/1 ] || fail "mp4 is not 25 fps"
frames=$(probe range.mp4 v:0 stream=nb_read_frames)
[ "$frames" = 51 ] || fail "mp4 has $frames frames, wanted 51"
[ "$(probe range.mp4 a:0 stream=codec_name)" = mp3 ] || fail "mp4 sound is not the MP3"
vdur=$(probe range.mp4 v:0 stream=duration)
adur=$(probe range.mp4 a:0 stream=duration)
echo "mp4: $frames frames, video $vdur s, sound $adur s"
near "$vdur" 2.04 0.001 || fail "mp4 video lasts $vdur s, wanted 2.04"
near "$adur" 2.04 0.05 || fail "mp4 sound lasts $adur s, wanted about 2.04"
check_alignment range.mp4 10 12

# .mkv: H.264 + FLAC; a start between frames begins at the next frame (2.02 s -> frame 51, 2.04 s).
timeout 60 "$BIN" --capture "$WORK/range.mkv" --from 2.02 --to 3 2>/dev/null || fail "mkv capture ended with status $?"
[ "$(probe range.mkv a:0 stream=codec_name)" = flac ] || fail "mkv sound is not FLAC"
frames=$(probe range.mkv v:0 stream=nb_read_frames)
[ "$frames" = 25 ] || fail "mkv has $frames frames, wanted 25 (2.04 s to 3.00 s)"
check_alignment range.mkv 2.04 40

# A range late in the show: the 3750 frames before it are fast-forwarded, the sound still starts
# at the first written frame.
timeout -k 5 120 "$BIN" --capture "$WORK/late.mkv" --from 150 --to 152.48 2>"$WORK/stderr" || {
  cat "$WORK/stderr" >&2; fail "late mkv capture ended with status $?"; }
grep -q 'of fast-forward to 150.00 s' "$WORK/stderr" || fail "no fast-forward: $(tr '\r' '\n' <"$WORK/stderr" | tail -1)"
frames=$(probe late.mkv v:0 stream=nb_read_frames)
[ "$frames" = 63 ] || fail "late mkv has $frames frames, wanted 63 (150.00 s to 152.48 s)"
check_alignment late.mkv 150 40

# A 4 s music track in a copy of the data directory.
mkdir -p short/data
for f in "$DATA"/*; do ln -s "$f" short/data/; done
rm short/data/compilation.mp3
ffmpeg -hide_banner -loglevel error -nostdin -i "$DATA/compilation.mp3" -t 4 -c:a libmp3lame -b:a 192k \
  short/data/compilation.mp3 || fail "cannot make a short track"
cd short
# From 2 s to 6 s: 2 s of music, then 2 s of silence, the video whole.
timeout -k 5 60 "$BIN" --capture "$WORK/short/over.mkv" --from 2 --to 6 2>"$WORK/stderr" || {
  cat "$WORK/stderr" >&2; fail "capture past the music's end ended with status $?"; }
frames=$(probe over.mkv v:0 stream=nb_read_frames)
aend=$(stream_end over.mkv a:0)
echo "over.mkv: $frames frames, sound to $aend s"
[ "$frames" = 101 ] || fail "over.mkv has $frames frames, wanted 101 (2.00 s to 6.00 s)"
# (FLAC's last block may end up to one block, 0.1 s, past the video.)
near "$aend" 4.04 0.11 || fail "over.mkv sound lasts $aend s, wanted the video's 4.04 s"
check_alignment over.mkv 2 40
music=$(peak over.mkv 0 1.9)
tail=$(peak over.mkv 2.1 2)
echo "over.mkv: peak $music dB over the music, $tail dB after its end"
below "$tail" -80 0 || fail "over.mkv is not silent after the music's end ($tail dB)"
below -40 "$music" 0 || fail "over.mkv has no music before the track's end ($music dB)"
# From 5 s: the track is over before the range starts; the sound track holds nothing to hear.
timeout -k 5 60 "$BIN" --capture "$WORK/short/after.mp4" --from 5 --to 6 2>"$WORK/stderr" || {
  cat "$WORK/stderr" >&2; fail "capture after the music's end ended with status $?"; }
frames=$(probe after.mp4 v:0 stream=nb_read_frames)
[ "$frames" = 26 ] || fail "after.mp4 has $frames frames, wanted 26"
[ "$(probe after.mp4 a:0 stream=codec_name)" = mp3 ] || fail "after.mp4 has no MP3 sound track"
silence=$(peak after.mp4 0 2)
[ -z "$silence" ] || below "$silence" -80 0 || fail "after.mp4 sound is not silence ($silence dB)"
cd "$WORK"

# No ffmpeg: said at once, status 1, nothing written.
timeout 10 env PATH=/nonexistent "$BIN" --capture "$WORK/none.mp4" --from 1 --to 2 2>"$WORK/stderr"
status=$?
[ "$status" = 1 ] || fail "without ffmpeg the status is $status, wanted 1"
grep -q 'ffmpeg is not installed' "$WORK/stderr" || fail "without ffmpeg the reason is not given"
grep -q 'apt-get install ffmpeg' "$WORK/stderr" || fail "without ffmpeg the message does not say how to install it"
[ ! -e "$WORK/none.mp4" ] || fail "without ffmpeg a file was written"
# ffmpeg failing (it cannot create the file): the run stops, status 1, ffmpeg's reason shown.
timeout 30 "$BIN" --capture "$WORK/no/such/dir.mp4" --from 1 --to 20 2>"$WORK/stderr"
status=$?
[ "$status" = 1 ] || fail "with ffmpeg failing the status is $status, wanted 1 (124: it hung)"
grep -q 'ffmpeg failed' "$WORK/stderr" || fail "the failing ffmpeg is not reported"
grep -q 'No such file or directory' "$WORK/stderr" || fail "ffmpeg's own reason is not shown"
echo PASS
