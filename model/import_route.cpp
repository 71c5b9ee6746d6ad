// Which reader imports a file, and that reader run in a child process.
#include <cstdint>
#include <fstream>

#include "model/isolated_import.h"
#include "model/ply_strips.h"

namespace {

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
