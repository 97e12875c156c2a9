#!/usr/bin/env bash
# Videos for sharing: H.264 converted and tagged as BT.709, so a decoded frame has the colours of
# the PNG frame of its time; the MP3 carried as it is in .mp4, still starting with the range's
# first frame; --scale enlarges the frames pixel for pixel; --lossless (FFV1 in Matroska) keeps
# every frame exactly; a range drawn at --size has the size and the sound of its range.
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/../support/pictures.sh"
command -v ffprobe >/dev/null || fail "ffprobe is not installed"
make_data
cd "$WORK"
export KS_FIXED_TIME=12:34:56
probe() { ffprobe -v error -select_streams "$2" -count_frames -show_entries "$3" -of default=nw=1:nk=1 "$1" | head -1; }
# Mean level (dB) of the video's sound minus the music from $2 s, over its first second ("-200"
# for silence).
residual() {
  ffmpeg -hide_banner -nostdin -i "$1" -ss "$2" -t 1 -i data/compilation.mp3 -filter_complex \
    "[0:a]atrim=duration=1,aformat=sample_fmts=fltp:sample_rates=44100:channel_layouts=mono[a];
     [1:a]aformat=sample_fmts=fltp:sample_rates=44100:channel_layouts=mono[b];
     [a][b]amerge=inputs=2,pan=mono|c0=c0-c1,volumedetect" -f null - 2>&1 |
    sed -n 's/.*mean_volume: \(.*\) dB/\1/p' | sed 's/^-inf$/-200/'
}
below() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { exit !(a <= b - d) }'; }
# The sound is the music from $2 s: far quieter against it than against the music a frame off.
check_alignment() {
  local here early late
  here=$(residual "$1" "$2")
  early=$(residual "$1" "$(awk -v t="$2" 'BEGIN { print t - 0.04 }')")
  late=$(residual "$1" "$(awk -v t="$2" 'BEGIN { print t + 0.04 }')")
  echo "$1: sound minus music from $2 s: $here dB (a frame early $early, late $late)"
  [ -n "$here" ] || fail "$1: no sound to compare"
  below "$here" "$early" 30 && below "$here" "$late" 30 || fail "$1: the sound does not start with the frame at $2 s"
}
# Frame $2 of video $1 as a PNG, converted to RGB as a careful player does (full chroma
# interpolation) with the matrix $4 (auto: the one the stream is tagged with).
frame_png() {
  ffmpeg -loglevel error -i "$1" -vf "select=eq(n\,$2),scale=in_color_matrix=${4:-auto}:flags=accurate_rnd+full_chroma_int,format=rgb24" \
    -frames:v 1 "$3"
}

# .mp4 from 10 s to 12 s, and the PNG frames of the same times.
timeout -k 5 120 "$BIN" --capture range.mp4 --from 10 --to 12 2>"$WORK/stderr" || { cat "$WORK/stderr" >&2; fail "mp4 capture ended with status $?"; }
timeout -k 5 120 "$BIN" --capture png --at 10.4,11,11.6 2>/dev/null || fail "PNG capture ended with status $?"
[ "$(probe range.mp4 v:0 stream=codec_name)" = h264 ] || fail "mp4 video is not H.264"
tags="$(probe range.mp4 v:0 stream=color_space)/$(probe range.mp4 v:0 stream=color_primaries)/$(probe range.mp4 v:0 stream=color_transfer)/$(probe range.mp4 v:0 stream=color_range)"
[ "$tags" = bt709/bt709/bt709/tv ] || fail "mp4 colour tags are $tags"
[ "$(probe range.mp4 a:0 stream=codec_name)" = mp3 ] || fail "mp4 sound is not the MP3 as it is"
[ "$(probe range.mp4 v:0 stream=nb_read_frames)" = 51 ] || fail "mp4 does not have the 51 frames of 10 s to 12 s"
check_alignment range.mp4 10
# A decoded frame (converted by the matrix its tags name) against its PNG frame: the mean colour
# agrees within what 4:2:0 chroma costs on these saturated reds (about 2 of 255), and much better
# than a player that assumed the SD matrix would show it.
worst=0
for n in 10 25 40; do
  frame_png range.mp4 "$n" "decoded-$n.png" || fail "cannot decode frame $n"
  frame_png range.mp4 "$n" "decoded-601-$n.png" bt601 || fail "cannot decode frame $n"
  png=$(printf 'png/frame-%05d.png' $((250 + n)))
  d=$(colour_distance "$(mean_colour "decoded-$n.png")" "$(mean_colour "$png")")
  d601=$(colour_distance "$(mean_colour "decoded-601-$n.png")" "$(mean_colour "$png")")
  echo "frame $((250 + n)): mean colour $(mean_colour "$png") as PNG, $(mean_colour "decoded-$n.png") decoded: distance $d (as BT.601: $d601)"
  awk -v d="$d" -v w="$d601" 'BEGIN { exit !(d < w) }' || fail "frame $((250 + n)) is no nearer its PNG by the tagged matrix"
  worst=$(awk -v a="$d" -v b="$worst" 'BEGIN { print (a > b ? a : b) }')
done
awk -v d="$worst" 'BEGIN { exit !(d <= 3) }' || fail "a decoded frame's mean colour is $worst away from its PNG"

# --scale 2 --lossless: FFV1 frames that are the PNG frames with every pixel doubled, exactly.
timeout -k 5 120 "$BIN" --capture big.mkv --scale 2 --lossless --from 11 --to 11.6 2>/dev/null || fail "lossless capture ended with status $?"
[ "$(probe big.mkv v:0 stream=codec_name)" = ffv1 ] || fail "the lossless video is not FFV1"
[ "$(probe big.mkv a:0 stream=codec_name)" = flac ] || fail "the lossless video's sound is not FLAC"
[ "$(probe big.mkv v:0 stream=width)x$(probe big.mkv v:0 stream=height)" = 1280x960 ] || fail "--scale 2 is not 1280x960"
ffmpeg -loglevel error -i big.mkv -map 0:v -f framemd5 -pix_fmt rgb24 big.md5 || fail "cannot decode big.mkv"
enlarged_md5() { ffmpeg -loglevel error -i "$1" -vf scale=iw*2:ih*2:flags=neighbor -f framemd5 -pix_fmt rgb24 - |
  grep -v '^#' | awk -F, '{ print $6 }' | tr -d ' '; }
first=$(grep -v '^#' big.md5 | awk -F, 'NR == 1 { print $6 }' | tr -d ' ')
last=$(grep -v '^#' big.md5 | awk -F, 'END { print $6 }' | tr -d ' ')
png_first=$(enlarged_md5 png/frame-00275.png)
png_last=$(enlarged_md5 png/frame-00290.png)
echo "lossless x2: frames 275 and 290 $first $last, PNG frames enlarged $png_first $png_last"
[ -n "$first" ] && [ "$first" = "$png_first" ] && [ "$last" = "$png_last" ] || fail "the lossless frames are not the PNG frames enlarged"

# A range drawn at 1920x1440: a video of that size, its sound from its first frame.
timeout -k 5 180 "$BIN" --capture sharp.mp4 --size 1920x1440 --from 11 --to 12 2>/dev/null || fail "1920x1440 video ended with status $?"
[ "$(probe sharp.mp4 v:0 stream=width)x$(probe sharp.mp4 v:0 stream=height)" = 1920x1440 ] || fail "sharp.mp4 is not 1920x1440"
[ "$(probe sharp.mp4 v:0 stream=nb_read_frames)" = 26 ] || fail "sharp.mp4 does not have 26 frames"
check_alignment sharp.mp4 11
frame_png sharp.mp4 0 sharp-0.png || fail "cannot decode sharp.mp4"
d=$(colour_distance "$(mean_colour sharp-0.png)" "$(mean_colour png/frame-00275.png)")
echo "sharp.mp4 frame 275: mean colour distance $d from the 640x480 PNG"
awk -v d="$d" 'BEGIN { exit !(d <= 3) }' || fail "the 1920x1440 video's colours are $d away from the PNG frame"
echo PASS
