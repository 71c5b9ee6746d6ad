// The materials-and-textures report: prints every loaded material and texture, then frees them.
#include "image/image.h"
#include "model/model.h"

#include <cstdio>
#include <iostream>

void ReleaseMaterialsAndTextures() {
    std::printf("Total de materiais: %d\n", static_cast<int>(materialTable.size()));
    for (ObjMaterial* material : materialTable) {
        if (!material)
            continue;
        const ObjMaterial& m = *material;
        std::cout << m.name << " a: (" << m.ambient[0] << "," << m.ambient[1] << "," << m.ambient[2]
                  << " d: (" << m.diffuse[0] << "," << m.diffuse[1] << "," << m.diffuse[2]
                  << " e: (" << m.emission[0] << "," << m.emission[1] << "," << m.emission[2]
                  << " - " << m.shininess << "\n";
        delete material;
    }
    materialTable.clear();

    std::printf("Total de texturas: %d\n", static_cast<int>(textureTable.size()));
    for (Texture* texture : textureTable) {
        if (!texture)
            continue;
        std::printf("%s: %d x %d (id: %d)\n", texture->name.c_str(), texture->width,
                    texture->height, static_cast<int>(texture->id));
    }
    ReleaseTextures(textureTable.size());
}
