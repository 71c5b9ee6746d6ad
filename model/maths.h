// The small vector library of the model code. No OpenGL.
#pragma once

#include "model/records.h"

// Vector maths
void Normalize(Vector3& v);
Vector3 Cross(const Vector3& a, const Vector3& b);
Vector3 FaceNormal(const Vector3& p0, const Vector3& p1, const Vector3& p2);
void RotateX(const Vector3& src, Vector3& dst, float degrees);
void RotateY(const Vector3& src, Vector3& dst, float degrees);
void RotateZ(const Vector3& src, Vector3& dst, float degrees);
