// Video output for virtual-time captures: raw RGB frames go down a pipe to an ffmpeg process,
// which encodes them at 25 frames per second together with the music as the sound track.
#pragma once

#include <cstddef>
#include <string>

// True for a path that names a video file (ends in .mp4 or .mkv); anything else is a directory.
bool videoPathIsVideo(const std::string& path);
// True when an ffmpeg program is on PATH; otherwise false and a short reason in `why`.
bool videoEncoderAvailable(std::string* why);
// Starts ffmpeg writing `path` from width x height RGB frames (top row first) at 25 per second,
// with `musicPath` from `musicOffsetSeconds` on as the sound track (cut to the video's length).
// .mp4: H.264 and AAC; .mkv: H.264 and FLAC. False, with the reason on stderr, if it cannot start.
bool videoPipeOpen(const std::string& path, int width, int height, const char* musicPath, double musicOffsetSeconds);
bool videoPipeIsOpen();
// Sends one frame; false (reason on stderr) when ffmpeg has stopped reading.
bool videoPipeWrite(const unsigned char* rgb, size_t bytes);
// Ends the input and waits for ffmpeg; false (reason on stderr) when it did not finish cleanly.
bool videoPipeClose();
