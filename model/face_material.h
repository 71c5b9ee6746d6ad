// What a face is drawn with: its material and its texture. Shared by the face-by-face and the
// vertex-array drawing so that both make the same choices. Private to model/.
#pragma once

struct ObjMaterial;

// The material of a face's material index: a new material's values for the default index
// (faces after an unknown material), the table's entry, or null when the index names none.
const ObjMaterial* FaceMaterial(int materialIndex);

// The sides that face materials go to (GL_FRONT, or GL_FRONT_AND_BACK under two-sided
// lighting); colour tracking should follow the same sides.
unsigned int MaterialSides();

// The OpenGL material calls for a face with this material; a textured face in mode 't' is lit
// as white, since the texture carries its colour.
void SetFaceMaterial(const ObjMaterial& material);

// The texture a face shows, or -1: an override paints only faces that carry texture
// coordinates; without one, the material's texture.
int FaceTexture(int textureOverride, bool hasTexCoords, const ObjMaterial* material);
