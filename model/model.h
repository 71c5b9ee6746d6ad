// The model module: OBJ models with their MTL materials, the program-wide tables,
// vector maths, the readers, drawing and the materials-and-textures report.
#pragma once

#include "model/drawing.h"
#include "model/maths.h"
#include "model/reading.h"
#include "model/records.h"
