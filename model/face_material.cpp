#include "model/face_material.h"

#include <GL/gl.h>

#include "model/model.h"

const ObjMaterial* FaceMaterial(int materialIndex) {
    static const ObjMaterial defaultMaterial;
    if (materialIndex == defaultMaterialIndex)
        return &defaultMaterial;
    // An index that no longer names a table entry is drawn as "no material".
    if (materialIndex < 0 || static_cast<std::size_t>(materialIndex) >= materialTable.size())
        return nullptr;
    return materialTable[static_cast<std::size_t>(materialIndex)];
}

namespace {

// Under two-sided lighting the back of a face shows the back material, which only this keeps
// equal to the front one.
GLenum materialSides = GL_FRONT;

} // namespace

unsigned int MaterialSides() {
    return materialSides;
}

void SetTwoSidedMaterials(bool twoSided) {
    materialSides = twoSided ? GL_FRONT_AND_BACK : GL_FRONT;
}

void SetFaceMaterial(const ObjMaterial& material) {
    static const GLfloat branco[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const bool textured = material.textureId != -1 && renderMode == 't';
    glMaterialfv(materialSides, GL_AMBIENT, material.ambient);
    glMaterialfv(materialSides, GL_DIFFUSE, textured ? branco : material.diffuse);
    glMaterialfv(materialSides, GL_SPECULAR, material.specular);
    glMaterialfv(materialSides, GL_EMISSION, material.emission);
    glMaterialf(materialSides, GL_SHININESS, material.shininess);
}

int FaceTexture(int textureOverride, bool hasTexCoords, const ObjMaterial* material) {
    if (textureOverride != -1)
        return hasTexCoords ? textureOverride : -1;
    return material ? material->textureId : -1;
}
