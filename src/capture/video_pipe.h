// Video output for virtual-time captures: raw RGB frames go down a pipe to an ffmpeg process,
// which encodes them at 25 frames per second together with the music as the sound track.
#pragma once

#include <cstddef>
#include <string>

// True for a path that names a video file (ends in .mp4 or .mkv); anything else is a directory.
bool videoPathIsVideo(const std::string& path);
// True when an ffmpeg program is on PATH; otherwise false and a short reason in `why`.
bool videoEncoderAvailable(std::string* why);
// How the frames are encoded (set before the capture starts).
struct VideoEncoding {
  int upscale = 1;        // each frame enlarged this many times, nearest-neighbour
  bool lossless = false;  // FFV1 with the frames' own RGB (Matroska only)
};
void videoPipeConfigure(const VideoEncoding& encoding);
const VideoEncoding& videoPipeEncoding();
// Starts ffmpeg writing `path` from width x height frames at 25 per second, with `musicPath` from
// `musicOffsetSeconds` on as the sound track, for the `durationSeconds` the range lasts (0: to
// the music's end).
// .mp4: H.264 (BT.709, tagged) with the MP3 copied as it is, sample-exact at the offset; it ends
// with the music when the music is the shorter. .mkv: H.264 (or lossless FFV1) with FLAC, cut
// to the video's length and silent from the music's end on when the music is the shorter (or all
// silent when it ends before the offset). False, with the reason on stderr, if it cannot start.
bool videoPipeOpen(const std::string& path, int width, int height, const char* musicPath, double musicOffsetSeconds,
                   double durationSeconds = 0.0);
bool videoPipeIsOpen();
// Sends one frame of 4-byte pixels (R, G, B, unused), bottom row first as GL reads them; false
// (reason on stderr) when ffmpeg has stopped reading. Blocks while the pipe is full.
bool videoPipeWriteFrame(const unsigned char* pixels, int width, int height);
// Ends the input and waits for ffmpeg; false (reason on stderr) when it did not finish cleanly.
bool videoPipeClose();
