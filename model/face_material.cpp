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

void SetFaceMaterial(const ObjMaterial& material) {
    static const GLfloat branco[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const bool textured = material.textureId != -1 && renderMode == 't';
    glMaterialfv(GL_FRONT, GL_AMBIENT, material.ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, textured ? branco : material.diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, material.specular);
    glMaterialfv(GL_FRONT, GL_EMISSION, material.emission);
    glMaterialf(GL_FRONT, GL_SHININESS, material.shininess);
}

int FaceTexture(int textureOverride, bool hasTexCoords, const ObjMaterial* material) {
    if (textureOverride != -1)
        return hasTexCoords ? textureOverride : -1;
    return material ? material->textureId : -1;
}
