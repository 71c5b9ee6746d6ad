// The material library reader on arbitrary text. The same text with CRLF line ends must give the
// same materials, and reading it a second time into the same table, as a second library naming
// the same materials would be, must change nothing: the first definition of a name wins. The
// whole text also goes through the name rules of "map_Kd" (options, '\' paths) and "mtllib"
// (several libraries) lines.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/reader_support.h"
#include "model/material_names.h"
#include "model/obj_stream.h"
#include "model/reading.h"
#include "tests/model/recording_textures.h"

namespace {

// The table's materials by value.
std::vector<ObjMaterial> Snapshot() {
    std::vector<ObjMaterial> materials;
    for (const ObjMaterial* material : materialTable) {
        materials.push_back(*material);
    }
    return materials;
}

bool SameMaterials(const std::vector<ObjMaterial>& a, const std::vector<ObjMaterial>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const ObjMaterial& x = a[i];
        const ObjMaterial& y = b[i];
        const bool sameValues = std::memcmp(x.ambient, y.ambient, sizeof x.ambient) == 0 &&
                                std::memcmp(x.diffuse, y.diffuse, sizeof x.diffuse) == 0 &&
                                std::memcmp(x.specular, y.specular, sizeof x.specular) == 0 &&
                                std::memcmp(x.emission, y.emission, sizeof x.emission) == 0 &&
                                std::memcmp(&x.shininess, &y.shininess, sizeof x.shininess) == 0;
        if (x.name != y.name || x.textureId != y.textureId || !sameValues) {
            return false;
        }
    }
    return true;
}

void Load(const std::string& text) {
    std::istringstream in(text);
    ReadMaterialsFromStream(in, "Data/", true, RecordTextureLoad);
    CheckTables();
}

bool Trimmed(const std::string& name) {
    return name.empty() || (name.front() != ' ' && name.front() != '\t' && name.back() != ' ' &&
                            name.back() != '\t');
}

void CheckNames(const std::string& text) {
    const std::string map = MapFileName(text, "no-such-folder/");
    Require(map.size() <= text.size(), "a map name longer than its line");
    Require(map.find('\\') == std::string::npos, "a '\\' left in a map name");
    Require(Trimmed(map), "a map name with blanks at its ends");
    std::size_t total = 0;
    for (const std::string& library : LibraryNames(text, "no-such-folder/")) {
        Require(Trimmed(library), "a library name with blanks at its ends");
        total += library.size();
    }
    Require(total <= text.size(), "library names longer than their line");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SilenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckNames(text);
    Load(text);
    const std::vector<ObjMaterial> first = Snapshot();

    Load(text);
    Require(SameMaterials(first, Snapshot()), "a second read changed the materials");

    if (text.find('\r') == std::string::npos) {
        ResetReaderTables();
        std::string crlf;
        for (const char c : text) {
            if (c == '\n') {
                crlf += '\r';
            }
            crlf += c;
        }
        Load(crlf);
        Require(SameMaterials(first, Snapshot()), "CRLF line ends change the materials");
    }
    ResetReaderTables();
    return 0;
}
