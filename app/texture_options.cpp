#include "app/texture_options.h"
#include "common/diagnostics.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sys/stat.h>

#include "app/seed.h"
#include "app/viewer.h"

namespace {

TextureSettings textureSettings;

struct PaintedCache {
    const ObjModel* source = nullptr;
    ModelPointer painted;
};
PaintedCache paintedCache;

TextureMapping MappingOf(ViewerOptions::Mapping mapping) {
    switch (mapping) {
    case ViewerOptions::Mapping::Cylinder:
        return TextureMapping::Cylinder;
    case ViewerOptions::Mapping::Sphere:
        return TextureMapping::Sphere;
    default:
        return TextureMapping::Box;
    }
}

// dup2 leaves the C and C++ streams as they are, so whatever writes to standard output later
// (printf or std::cout) goes nowhere.
void SilenceStandardOutput() {
    FlushOutput();
    const int sink = open("/dev/null", O_WRONLY);
    if (sink >= 0) {
        dup2(sink, STDOUT_FILENO);
        close(sink);
    }
}

} // namespace

std::string OutputFileProblem(const std::string& path) {
    if (path.empty())
        return std::strerror(ENOENT);
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return std::strerror(EISDIR);
    const std::size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    if (stat(folder.c_str(), &status) != 0)
        return std::strerror(errno);
    if (!S_ISDIR(status.st_mode))
        return std::strerror(ENOTDIR);
    // The file is written under a temporary name in its folder and renamed: the folder must
    // take new entries, whether or not the file exists already.
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        return std::strerror(errno);
    return "";
}

bool ObjFileBounds(const std::string& path, float low[3], float high[3]) {
    std::ifstream in(path);
    std::string line;
    bool found = false;
    while (std::getline(in, line)) {
        if (line.size() < 2 || line[0] != 'v' || (line[1] != ' ' && line[1] != '\t'))
            continue;
        const char* text = line.c_str() + 2;
        float xyz[3];
        char* end = nullptr;
        bool complete = true;
        for (float& value : xyz) {
            value = std::strtof(text, &end);
            complete = complete && end != text && std::isfinite(value);
            text = end;
        }
        if (!complete)
            continue;
        GrowBounds(xyz, low, high, found);
    }
    return found;
}

void CylinderHeights(const MappingBox& box, MappingAxis up, double& lower, double& upper) {
    double extent[3];
    for (int i = 0; i < 3; ++i)
        extent[i] = static_cast<double>(box.high[i]) - box.low[i];
    const double radius = (extent[(up.axis + 1) % 3] + extent[(up.axis + 2) % 3]) / 4.0;
    double span = radius > 0.0 ? extent[up.axis] / radius : 0.0;
    // A flat or degenerate box still needs a range to sample.
    if (!(span > 0.0) || !std::isfinite(span))
        span = 2.0;
    lower = -span / 2.0;
    upper = span / 2.0;
}

MappingAxis ModelUpAxis() {
    switch (viewerOptions.up) {
    case UpAxis::PlusX:
        return MappingAxis{0, false};
    case UpAxis::MinusX:
        return MappingAxis{0, true};
    case UpAxis::PlusZ:
        return MappingAxis{2, false};
    case UpAxis::MinusZ:
        return MappingAxis{2, true};
    case UpAxis::MinusY:
        return MappingAxis{1, true};
    case UpAxis::PlusY:
        break;
    }
    return MappingAxis{1, false};
}

const TextureSettings& CurrentTextureSettings() {
    return textureSettings;
}

int PrepareTextureRuns() {
    const ViewerOptions& options = viewerOptions;
    const std::string written[] = {!options.textureOut.empty()
                                       ? options.textureOut
                                       : (options.textureOnly ? TextureFileName(0) : std::string()),
                                   options.heightmapPath};
    for (const std::string& path : written) {
        if (path.empty())
            continue;
        const std::string problem = OutputFileProblem(path);
        if (!problem.empty()) {
            Report(Level::error, "cannot write \"" + path + "\": " + problem);
            return 2;
        }
    }
    if (options.quiet)
        SilenceStandardOutput();

    textureSettings.size = options.textureSize;
    textureSettings.seamless = options.seamless;
    textureSettings.texturePath = options.textureOut;
    textureSettings.heightmapPath = options.heightmapPath;
    if (!options.textureOut.empty())
        SetTextureFile(options.textureOut); // what the viewer shows and 'k' keeps
    if (options.mapping == ViewerOptions::Mapping::Cylinder) {
        textureSettings.surface = TextureSettings::Surface::Cylinder;
        // The model is not loaded yet when the first texture is made; its vertices are enough.
        MappingBox box;
        const bool haveModel = !options.textureOnly || !options.modelPath.empty();
        if (haveModel && ObjFileBounds(ScenePath(), box.low, box.high))
            CylinderHeights(box, ModelUpAxis(), textureSettings.lowerHeight,
                            textureSettings.upperHeight);
    } else if (options.mapping == ViewerOptions::Mapping::Sphere) {
        textureSettings.surface = TextureSettings::Surface::Sphere;
    }
    showGeneratedTexture = options.paint;

    if (!options.textureOnly)
        return -1;
    const unsigned int seed = options.haveSeed ? options.seed : NextTextureSeed();
    const bool made = RunTextureGeneration(seed) != nullptr;
    FlushOutput();
    return made ? 0 : 2;
}

ObjModel* PaintedModel(ObjModel* model) {
    if (model == nullptr)
        return nullptr;
    if (paintedCache.source != model) {
        paintedCache.source = model;
        paintedCache.painted.reset();
        const bool chosen = viewerOptions.mapping != ViewerOptions::Mapping::Own;
        MappingBox box;
        if ((chosen || HasUnmappedFaces(*model)) && ModelBounds(model, box.low, box.high)) {
            paintedCache.painted =
                PaintedCopy(*model, MappingOf(viewerOptions.mapping), box, ModelUpAxis(), !chosen);
            // The copy is drawn as its source is: a named model's normals and shapes are made.
            if (paintedCache.painted && !viewerOptions.modelPath.empty())
                PrepareDrawing(paintedCache.painted.get());
        }
    }
    return paintedCache.painted ? paintedCache.painted.get() : model;
}

void ForgetPaintedModel() {
    paintedCache.source = nullptr;
    paintedCache.painted.reset();
}
