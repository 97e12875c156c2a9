// The benchmark's record of a virtual-time run (bench.cpp): the cost of every paint, the pace
// of the run, the renderer, and the report made of them.
// Use: the run (run_linux.cpp) calls benchRecordRenderer when the context is made, benchRecordPaint
// after every paint and benchRecordEnd when the window goes; benchPrintReport prints the
// summary on standard output afterwards. The report's rows are the show's schedule windows
// (timeline/frame.h), so they follow the schedule.
#pragma once

// Names the renderer of the current GL context and its framebuffer's size in the report.
void benchRecordRenderer(int width, int height);
// One paint: the frame's music time, its wall-clock and its CPU cost in milliseconds.
void benchRecordPaint(int ms, double milliseconds, double cpuMilliseconds);
// The draw calls and bytes uploaded of the paint recorded last, where the platform counts them.
void benchRecordWork(int draws, double bytes);
void benchRecordEnd();
// Paints recorded so far, and the music time of the most recent one.
int benchPaintCount();
int benchLastPaintMs();
// The music time of the first timer frame (the second paint; frame 0 comes before loading) and
// the wall-clock second its paint began, from which the run's pace is measured; 0 before it.
int benchLoopStartMs();
double benchLoopStartSeconds();
// Prints the start-up time (from launchedSeconds, the wall-clock second the process began, to
// the first painted frame), the cost per schedule window and the summary lines.
void benchPrintReport(double launchedSeconds);
