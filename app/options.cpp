#include "app/options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/isolated_import.h"

namespace {

// GLUT's options, which glutInit consumes; the first two take a value.
bool IsGlutOptionWithValue(const std::string& arg) {
    return arg == "-display" || arg == "-geometry";
}

bool IsGlutFlag(const std::string& arg) {
    return arg == "-iconic" || arg == "-indirect" || arg == "-direct" || arg == "-gldebug" ||
           arg == "-sync";
}

// Decimal digits only, within 32 bits: "-1" or "7x" must not quietly become some other seed.
bool ParseSeed(const std::string& text, unsigned& seed) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != text.npos)
        return false;
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (value > 0xFFFFFFFFull)
        return false;
    seed = static_cast<unsigned>(value);
    return true;
}

} // namespace

ViewerOptions ParseOptions(const std::vector<std::string>& args) {
    ViewerOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool looksLikeOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!looksLikeOption) {
            if (options.modelPath.empty())
                options.modelPath = arg;
            else
                options.warnings.push_back("quillmere: extra argument \"" + arg +
                                           "\" ignored (one model at a time)");
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.action = ViewerOptions::Action::Help;
            return options;
        } else if (arg == "--version") {
            options.action = ViewerOptions::Action::Version;
            return options;
        } else if (arg == "--seed" || arg.compare(0, 7, "--seed=") == 0) {
            std::string value;
            if (arg == "--seed") {
                if (i + 1 < args.size())
                    value = args[++i];
            } else {
                value = arg.substr(7);
            }
            if (!ParseSeed(value, options.seed)) {
                options.action = ViewerOptions::Action::Error;
                options.error = "quillmere: --seed needs a whole number from 0 to 4294967295, "
                                "not \"" +
                                value + "\"";
                return options;
            }
            options.haveSeed = true;
        } else if (IsGlutOptionWithValue(arg)) {
            ++i;
        } else if (!IsGlutFlag(arg)) {
            options.warnings.push_back("quillmere: unknown option \"" + arg + "\" ignored");
        }
    }
    return options;
}

std::string UsageText() {
    return "Usage: quillmere [options] [MODEL]\n"
           "\n"
           "Paints a fresh procedural texture, then shows a 3D model lit and spinning.\n"
           "Without MODEL it shows ./Data/uvmappedvorbel.obj; a model named here\n"
           "is framed to fill the window, and the texture goes to ./Data/ when that folder\n"
           "exists, else to $XDG_CACHE_HOME/quillmere/ (~/.cache/quillmere/).\n"
           "\n"
           "Options:\n"
           "  --help        print this text and exit\n"
           "  --version     print the version and exit\n"
           "  --seed N      make the start-up texture from seed N (0 to 4294967295) instead of\n"
           "                the clock, so it can be made again byte for byte; later Space runs\n"
           "                draw fresh seeds\n"
           "  --            the next argument is the model, even if it starts with '-'\n"
           "GLUT's own options (-display, -geometry, -iconic, ...) are passed on to GLUT.\n"
           "\n"
           "Mouse and keys:\n"
           "  left drag     turn the model\n"
           "  right drag    pan the model\n"
           "  middle drag   move the model nearer or farther\n"
           "  wheel         move nearer or farther\n"
           "  Space         make a new texture and reload the model\n"
           "  t             paint the generated texture on every face with texture coordinates\n"
           "  r             reset the view (as at start-up, or as framed)\n"
           "  p             save a screenshot of the window as PNG in the working folder\n"
           "  k             keep the current texture: copy it to texture-<seed>.bmp beside it\n"
           "  w             cycle the render modes (textured, wire, solid)\n"
           "  n             show or hide the normals\n"
           "  c             turn back-face culling off and on\n"
           "  .             pause or resume the spin\n"
           "  Escape        quit\n"
           "\n"
           "\n"
           "Model formats, told apart by the file's content (by its name when the content\n"
           "does not say): Wavefront OBJ with MTL materials; PLY, STL, glTF and GLB, COLLADA,\n"
           "3DS, OFF, FBX and 3MF, read by assimp, as are the other formats assimp knows by\n"
           "their file names. PLY files whose faces are triangle strips are read by quillmere\n"
           "itself. assimp reads in a separate process: a file that crashes it, or that it\n"
           "takes more than " +
           std::to_string(importTimeoutSeconds) +
           " s to read, is refused like any unreadable file.\n"
           "\n"
           "A model file that cannot be opened or read ends the program with status 2.\n";
}

std::string VersionText() {
    return "quillmere 1.1\n";
}

std::string ModelFileProblem(const std::string& path) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return std::strerror(errno != 0 ? errno : ENOENT);
    // A folder opens on Linux but cannot be read.
    std::fgetc(file);
    const bool failed = std::ferror(file) != 0;
    const int readError = errno;
    std::fclose(file);
    return failed ? std::strerror(readError != 0 ? readError : EIO) : std::string();
}

std::string CacheTextureFolder(const char* xdgCacheHome, const char* home) {
    // The XDG rules ignore a relative XDG_CACHE_HOME.
    if (xdgCacheHome != nullptr && xdgCacheHome[0] == '/')
        return std::string(xdgCacheHome) + "/quillmere/";
    const std::string base = home != nullptr && home[0] != '\0' ? home : ".";
    return base + "/.cache/quillmere/";
}

std::string WindowTitle(const std::string& modelPath) {
    if (modelPath.empty())
        return "Quillmere";
    const std::size_t slash = modelPath.find_last_of('/');
    return "Quillmere - " + (slash == modelPath.npos ? modelPath : modelPath.substr(slash + 1));
}
