// The MTL material library reader and the lookups on the material table.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <limits>
#include <new>

#include "common/diagnostics.h"
#include "model/material_names.h"
#include "model/obj_stream.h"
#include "model/obj_text.h"
#include "model/reading.h"

namespace {

ObjMaterial* NewMaterial(std::string_view name) {
    ObjMaterial* material = new (std::nothrow) ObjMaterial;
    if (material == nullptr) {
        std::cout << "Sem mem\xF3"
                     "ria para novo material!";
        std::exit(1);
    }
    material->name.assign(name.data(), name.size());
    materialTable.push_back(material);
    return material;
}

void ReadColor(std::string_view rest, float* color) {
    FloatScanner numbers(rest);
    numbers.Read(color[0]);
    numbers.Read(color[1]);
    numbers.Read(color[2]);
}

void ReadShininess(std::string_view rest, ObjMaterial& material) {
    float value = std::numeric_limits<float>::quiet_NaN(); // extraction never gives NaN
    FloatScanner(rest).Read(value);
    if (std::isnan(value)) {
        return; // no number at all: the shininess keeps its value instead of being rescaled
    }
    // MTL shininess runs from 0 to 1000, OpenGL's from 0 to 128.
    material.shininess = static_cast<float>(value / 1000.0 * 128.0);
}

void ReadOpacity(std::string_view rest, ObjMaterial& material) {
    float opacity = material.diffuse[3];
    FloatScanner(rest).Read(opacity);
    material.ambient[3] = opacity;
    material.diffuse[3] = opacity;
    material.specular[3] = opacity;
}

void ReadDiffuseMap(std::string_view name, const std::string& folder, bool mipmaps,
                    const TextureLoader& textures, ObjMaterial& material) {
    if (!textures) {
        return;
    }
    std::string fileName = folder;
    fileName.append(name.data(), name.size());
    // Only an empty file name gives no record; the material then stays untextured.
    const int id = textures(fileName, mipmaps);
    if (id != -1) {
        material.textureId = id;
    }
}

} // namespace

void ReadMaterialsFromStream(std::istream& in, const std::string& folder, bool mipmaps,
                             const TextureLoader& textures) {
    LineReader lines(in);
    ObjMaterial* current = nullptr;
    std::string_view line;
    while (lines.Next(line)) {
        std::cout << "aux = \"" << line << "\" size = " << line.size() << "\n";
        if (line.empty()) {
            continue;
        }
        if (line.back() == '\r') {
            line.remove_suffix(1);
        }
        // Some exporters indent every statement of a material.
        while (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            line.remove_prefix(1);
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (StartsWith(line, "newmtl")) {
            const std::string_view name = TrimBlanks(RestFrom(line, 7));
            // The first definition of a name wins; a repeated block is skipped to its end.
            current = FindMaterial(std::string(name)) == -1 ? NewMaterial(name) : nullptr;
        } else if (current == nullptr) {
            continue;
        } else if (StartsWith(line, "Ka ")) {
            ReadColor(RestFrom(line, 3), current->ambient);
        } else if (StartsWith(line, "Kd ")) {
            ReadColor(RestFrom(line, 3), current->diffuse);
        } else if (StartsWith(line, "Ks ")) {
            ReadColor(RestFrom(line, 3), current->specular);
        } else if (StartsWith(line, "Ns ")) {
            ReadShininess(RestFrom(line, 3), *current);
        } else if (StartsWith(line, "d ")) {
            ReadOpacity(RestFrom(line, 2), *current);
        } else if (StartsWith(line, "map_Kd ") || StartsWith(line, "map_Kd\t")) {
            ReadDiffuseMap(MapFileName(RestFrom(line, 7), folder), folder, mipmaps, textures,
                           *current);
        }
    }
    if (!ReadToEnd(in)) {
        std::cout << "Erro de leitura!" << std::endl;
        std::exit(1);
    }
}

void ReadMaterials(const std::string& fileName, const std::string& folder, bool mipmaps,
                   const TextureLoader& textures) {
    ReadMaterialsNamedAt(fileName, folder, mipmaps, textures, "");
}

void ReadMaterialsNamedAt(const std::string& fileName, const std::string& folder, bool mipmaps,
                          const TextureLoader& textures, const std::string& origin) {
    std::ifstream in(folder + fileName);
    // A name that opens but cannot be read (a folder: a bare "mtllib" line names the model's
    // own folder) is a library that cannot be opened, not a read error that ends the program.
    if (in.is_open()) {
        in.peek();
    }
    if (!in.is_open() || in.bad()) {
        std::cout << "Erro na leitura do arquivo de materiais!" << std::endl;
        Report(Level::warning, (origin.empty() ? "" : origin + ": ") +
                                   "cannot open the material library \"" + folder + fileName +
                                   "\"");
        return;
    }
    ReadMaterialsFromStream(in, folder, mipmaps, textures);
}

int FindMaterial(const std::string& name) {
    for (std::size_t i = 0; i < materialTable.size(); ++i) {
        if (materialTable[i]->name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

ObjMaterial* GetMaterial(const std::string& name) {
    const int index = FindMaterial(name);
    return index == -1 ? nullptr : materialTable[static_cast<std::size_t>(index)];
}
