// The scoring window: how long a signal stays open, what a chop in it is
// worth, and where the play frame draws the woodcutter, the signal and the
// log. The rigs (the scripted benchmark game, the browser tests) read these
// rather than copy them.
#pragma once

constexpr int kSignalPeriod = 121;  // play frames from the last signal or push to the next signal
constexpr int kWindowFrames = 60;   // a signal stays open this long unless chopped
constexpr int kFastFrames = 10;     // a chop in the window's first 10 frames is a fast one
constexpr int kFastPoints = 1000;
constexpr int kPointsPerFrameLeft = 10;  // a slower chop: 10 points for each window frame left
constexpr int kSwingFrames = 30;
constexpr int kFigureX = 150, kFigureY = 100;
constexpr int kSignalX = 80, kSignalY = 132;
constexpr int kLogX = 150, kLogY = 164;
constexpr int kNumberX = 130;
