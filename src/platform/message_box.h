// Message boxes: always written to standard error; shown as a real box only when the live
// backend has a display to show it on (never in tests or virtual-time runs).
#pragma once

// Set by the live backend once its display is up; boxes stay on standard error otherwise.
extern bool g_platformShowsBoxes;
