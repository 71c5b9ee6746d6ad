// What the model reader fuzz targets share: a silent console, a folder of material libraries,
// the reset of the program-wide tables between inputs, and checks on what a load built.
#pragma once

#include <string>

struct ObjModel;

// The readers print a line per statement; at fuzzing speed that output is only noise.
void SilenceConsole();

// A private folder, ending in '/', holding copies of the project's material libraries, so that
// "mtllib" lines can name real files. Removed at exit.
const std::string& LibraryFolder();

// Frees every model, material and texture record, so that leak detection sees only what a
// load lost itself.
void ResetReaderTables();

// Aborts when the material or texture tables break their own rules.
void CheckTables();
// Aborts when a loaded model does not match the statements that can have built it.
void CheckModel(const ObjModel& model);
// Aborts when what PrepareDrawing made names anything outside the model's lists.
void CheckPrepared(const ObjModel& model);
// True when both models hold the same meshes, bit for bit.
bool SameModel(const ObjModel& a, const ObjModel& b);

void Require(bool condition, const char* what);
