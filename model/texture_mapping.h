// Texture coordinates made up for models that bring none (or whose own are to be replaced), so
// that a generated texture can be laid on any model. Needs no OpenGL context.
#pragma once

#include <memory>

#include "model/reading.h"

enum class TextureMapping {
    Box,      // each face takes the plane of its dominant normal axis, scaled to the box
    Cylinder, // u goes once around the up axis, v up the model's height
    Sphere,   // u is the longitude about the up axis, v the latitude from pole to pole
};

// The model's up direction: axis 0 (x), 1 (y) or 2 (z), pointing to + or -.
struct MappingAxis {
    int axis = 1;
    bool negative = false;
};

// The box a mapping is laid out in, usually the model's own.
struct MappingBox {
    float low[3] = {0.0f, 0.0f, 0.0f};
    float high[3] = {0.0f, 0.0f, 0.0f};
};

// The coordinates of one point. normal only matters to the box mapping (the face's normal).
// Cylinder and sphere u run from 0 at -180 degrees to 1 at +180 degrees about the up axis,
// measured from the axis after it towards the one after that (for +Y: from +X towards +Z), the
// angle of the noise library's cylinder and sphere; v is 0 at the bottom (the south pole).
TexCoord MapPoint(TextureMapping mapping, const MappingBox& box, MappingAxis up,
                  const Vector3& point, const Vector3& normal);

// A copy of model in which every face has texture coordinates: faces with coordinates of their
// own keep them when keepOwn is set, the others get generated ones, one per corner (appended to
// the mesh's texCoords). Across a face that straddles the -180/+180 line of a cylinder or sphere
// mapping u is kept continuous (it may exceed 1; textures repeat). Everything else is copied;
// drawing data made for the original is not, so the copy makes its own.
struct ModelDeleter {
    void operator()(ObjModel* model) const { DeleteModel(model); }
};
using ModelPointer = std::unique_ptr<ObjModel, ModelDeleter>;

ModelPointer PaintedCopy(const ObjModel& model, TextureMapping mapping, const MappingBox& box,
                         MappingAxis up, bool keepOwn);

// Whether any face of the model lacks texture coordinates.
bool HasUnmappedFaces(const ObjModel& model);
