// Which reader imports a file, that reader run in a child process, and the line a load prints.
#include <cstdint>
#include <fstream>
#include <sstream>

#include "model/isolated_import.h"
#include "model/ply_strips.h"

namespace {

std::string Counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A PLY header with comments and many properties still fits in this much.
constexpr std::size_t headBytes = 65536;

// The first bytes of the file and the file's length.
std::string Head(const std::string& path, std::uint64_t& fileSize) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    fileSize = in ? static_cast<std::uint64_t>(in.tellg()) : 0;
    in.seekg(0);
    std::string head(headBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head;
}

} // namespace

bool ImportInProcess(const std::string& path, ImportedModel& out, std::string& error) {
    std::uint64_t fileSize = 0;
    const std::string head = Head(path, fileSize);
    // assimp reads a PLY file's triangle strips as one triangle: those files are ours.
    if (PlyHasTriStrips(head)) {
        return ReadPlyTriStripsFile(path, out, error);
    }
    // assimp loops forever on some PLY headers cut short; it gets only headers that hold up.
    const bool ply = head.size() > 3 && head.compare(0, 3, "ply") == 0 &&
                     (head[3] == '\n' || head[3] == '\r' || head[3] == ' ');
    if (ply && !CheckPlyHeader(head, fileSize, error)) {
        out = ImportedModel();
        return false;
    }
    return ImportWithAssimp(path, out, error);
}

bool ImportIsolated(const std::string& path, ImportedModel& out, std::string& error,
                    int timeoutSeconds) {
    return ImportIsolatedWith(ImportInProcess, path, out, error, timeoutSeconds);
}

std::string ImportSummary(const ImportedModel& imported) {
    std::size_t vertices = 0;
    std::size_t faces = 0;
    std::size_t points = 0;
    std::size_t lines = 0;
    for (const std::unique_ptr<ObjMesh>& mesh : imported.meshes) {
        vertices += mesh->vertices.size();
        faces += mesh->faces.size();
        for (const ObjElement& element : mesh->points)
            points += element.count;
        lines += mesh->lines.size();
    }
    std::ostringstream line;
    line << imported.format << " model: " << Counted(imported.meshes.size(), "mesh", "meshes")
         << ", " << Counted(vertices, "vertex", "vertices") << ", "
         << Counted(faces, "face", "faces");
    if (points > 0)
        line << ", " << Counted(points, "point", "points");
    if (lines > 0)
        line << ", " << Counted(lines, "line", "lines");
    line << ", " << Counted(imported.materials.size(), "material", "materials") << ", "
         << Counted(imported.textures.size(), "texture", "textures");
    return line.str();
}
