// The texture options of the command line: the texture run alone, the size, surface and files
// of every run, and the generated texture painted on models that bring no texture coordinates.
#pragma once

#include <string>

#include "model/texture_mapping.h"
#include "texgen/texgen.h"

// Acts on the texture options of viewerOptions, before any window: checks that the files they
// name can be written (else one line on standard error and status 2), silences standard output
// for --quiet, sets up the settings of every later run and --paint. With --texture-only it
// makes the texture and returns the exit status (0, or 2 when the file could not be written);
// otherwise -1, and the viewer goes on.
int PrepareTextureRuns();

// What every texture run makes, at start-up and on Space.
const TextureSettings& CurrentTextureSettings();

// The model 't' draws for model: a painted copy when the model has faces without texture
// coordinates or --mapping asks for generated ones, else model itself. The copy is made on
// first use and kept until ForgetPaintedModel.
ObjModel* PaintedModel(ObjModel* model);
// A new model was loaded: the next PaintedModel paints it afresh.
void ForgetPaintedModel();

// Why a file could not be created at path (its folder is missing or not writable, or path is a
// folder); empty when it can.
std::string OutputFileProblem(const std::string& path);
// The box around the vertices ("v" lines) of an OBJ file, read without loading the model;
// false when it has none or cannot be read.
bool ObjFileBounds(const std::string& path, float low[3], float high[3]);
// The height range of a cylinder around box's up axis, in units of its radius, so that the
// noise on it is as wide as it is tall when laid on the model.
void CylinderHeights(const MappingBox& box, MappingAxis up, double& lower, double& upper);
// The model's up axis, as --up names it (+Y by default).
MappingAxis ModelUpAxis();
