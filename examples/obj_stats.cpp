// obj_stats MODEL.obj: one line of counts for a Wavefront OBJ model and its MTL libraries,
//   meshes M faces F vertices V materials K
// with faces as the file writes them (a quad is one face). Reads without any OpenGL.
#include <iostream>
#include <model/model.h>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: obj_stats MODEL.obj\n";
        return 2;
    }
    // The reader reports its progress on standard output; this program prints only its line.
    std::ostringstream transcript;
    std::streambuf* console = std::cout.rdbuf(transcript.rdbuf());
    ObjModel* model = LoadModel(argv[1], false, false, true);
    std::cout.rdbuf(console);
    if (model == nullptr) {
        std::cerr << "obj_stats: cannot read \"" << argv[1] << "\"\n";
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
