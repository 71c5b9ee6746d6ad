// Pictures drawn without a window (--output): the scene, light and projection of the window,
// one frame or a turntable of frames, written as PNG or BMP files.
#pragma once

#include <string>
#include <vector>

struct ViewerOptions;

// The first half of an --output run, before anything is made: checks where the pictures go and
// makes the offscreen context current. False after one line on standard error.
bool PrepareOffscreen();
// The rest of the --output run from viewerOptions: the texture and the scene as the window
// makes them, then every picture drawn and written. Returns the exit status: 0, or 2 after one
// line on standard error.
int RunOffscreen();

// --background, when given, as the clear colour (needs a current context).
void ApplyBackground(const ViewerOptions& options);

// The name of picture index (from 0) of a --frames run of count pictures: "turn.png" gives
// "turn-000.png"; more than 1000 pictures get as many digits as the last number needs.
std::string FramePath(const std::string& path, int index, int count);

// Why no picture can be written at path: its folder is missing or takes no new files, or path
// is a folder. Empty when writing can go ahead.
std::string OutputPathProblem(const std::string& path);

// Writes width x height RGB pixels, bottom row first as OpenGL reads them, as a PNG or a 24-bit
// BMP file by path's extension. The bytes go to a temporary name in the same folder that is
// renamed to path once complete, so path never holds half a picture. Empty, or the reason.
std::string WritePicture(const std::string& path, int width, int height,
                         const std::vector<unsigned char>& rgb);
