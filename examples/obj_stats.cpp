// obj_stats MODEL.obj: one line of counts for a Wavefront OBJ model and its MTL libraries,
//   meshes M faces F vertices V materials K
// with faces as the file writes them (a quad is one face). Reads without any OpenGL: textures
// that the materials name are not loaded (no texture loader is given).
#include <common/diagnostics.h>
#include <iostream>
#include <model/reading.h>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: obj_stats MODEL.obj\n";
        return 2;
    }
    // The reader reports its progress on standard output and its warnings through the
    // diagnostics sink; this program prints only its line, and an error when the file is bad.
    std::ostringstream transcript;
    std::streambuf* console = std::cout.rdbuf(transcript.rdbuf());
    CapturedDiagnostics warnings;
    ModelReadOptions options;
    options.mipmaps = false;
    options.lenientMaterials = true;
    ObjModel* model = ReadModel(argv[1], options, TextureLoader());
    std::cout.rdbuf(console);
    if (model == nullptr) {
        std::cerr << "obj_stats: cannot read \"" << argv[1] << "\"\n" << warnings.Text();
        return 1;
    }
    std::size_t faces = 0;
    std::size_t vertices = 0;
    for (const ObjMesh* mesh : model->meshes) {
        faces += mesh->faces.size();
        vertices += mesh->vertices.size();
    }
    std::cout << "meshes " << model->meshes.size() << " faces " << faces << " vertices " << vertices
              << " materials " << materialTable.size() << "\n";
    UnloadModel(model);
    return 0;
}
