#include "app/options.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "model/isolated_import.h"
#include "texgen/texgen.h"
#include "texgen/texture_files.h"

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

// Decimal digits only, from 1 to most.
bool ParseCount(const std::string& text, int most, int& count) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != text.npos)
        return false;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value < 1 || value > most)
        return false;
    count = static_cast<int>(value);
    return true;
}

// Pbuffers of Mesa's software renderer stop at 4096 pixels a side.
constexpr int largestSide = 4096;
constexpr int mostFrames = 3600;

bool ParseSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find_first_of("xX");
    return x != text.npos && ParseCount(text.substr(0, x), largestSide, width) &&
           ParseCount(text.substr(x + 1), largestSide, height);
}

bool ParseBackground(const std::string& text, float rgb[3]) {
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t end = i < 2 ? text.find(',', start) : text.size();
        if (end == text.npos)
            return false;
        const std::string part = text.substr(start, end - start);
        char* stop = nullptr;
        const double value = std::strtod(part.c_str(), &stop);
        if (part.empty() || stop != part.c_str() + part.size() || !std::isfinite(value) ||
            value < 0.0 || value > 1.0)
            return false;
        rgb[i] = static_cast<float>(value);
        start = end + 1;
    }
    return true;
}

bool HasPictureExtension(const std::string& path) {
    std::string extension = path.size() > 4 ? path.substr(path.size() - 4) : std::string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t slash = path.find_last_of('/');
    const bool hasStem = slash == path.npos ? path.size() > 4 : path.size() - slash - 1 > 4;
    return hasStem && (extension == ".png" || extension == ".bmp");
}

// "--name VALUE" or "--name=VALUE": true when arg is the option; value is empty when missing.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
               std::string& value) {
    const std::string& arg = args[i];
    if (arg == name) {
        value = i + 1 < args.size() ? args[++i] : std::string();
        return true;
    }
    if (arg.compare(0, name.size() + 1, name + "=") == 0) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

void Fail(ViewerOptions& options, const std::string& message) {
    options.action = ViewerOptions::Action::Error;
    options.error = message;
}

// The picture options: true when args[i] is one of them (options.action is Error when its
// value is not usable).
bool ParsePictureOption(const std::vector<std::string>& args, std::size_t& i,
                        ViewerOptions& options) {
    std::string value;
    if (args[i] == "--offscreen") {
        options.offscreen = true;
    } else if (TakeValue(args, i, "--size", value)) {
        if (!ParseSize(value, options.width, options.height))
            Fail(options, "--size needs WIDTHxHEIGHT, each from 1 to " +
                              std::to_string(largestSide) + ", not \"" + value + "\"");
    } else if (TakeValue(args, i, "--background", value)) {
        options.haveBackground = ParseBackground(value, options.background);
        if (!options.haveBackground)
            Fail(options, "--background needs R,G,B, each from 0 to 1, not \"" + value + "\"");
    } else if (TakeValue(args, i, "--output", value)) {
        options.outputPath = value;
        if (!HasPictureExtension(value))
            Fail(options,
                 "--output needs a file name ending in .png or .bmp, not \"" + value + "\"");
    } else if (TakeValue(args, i, "--frames", value)) {
        if (!ParseCount(value, mostFrames, options.frames))
            Fail(options, "--frames needs a whole number from 1 to " + std::to_string(mostFrames) +
                              ", not \"" + value + "\"");
    } else {
        return false;
    }
    return true;
}

// The texture options: false when args[i] is none of them. A bad value leaves its one-line
// message in options.error.
bool ParseTextureOption(const std::vector<std::string>& args, std::size_t& i,
                        ViewerOptions& options) {
    const std::string& arg = args[i];
    std::string value;
    if (arg == "--texture-only") {
        options.textureOnly = true;
    } else if (arg == "--quiet") {
        options.quiet = true;
    } else if (arg == "--paint") {
        options.paint = true;
    } else if (arg == "--seamless") {
        options.seamless = true;
    } else if (TakeValue(args, i, "--texture-size", value)) {
        unsigned size = 0;
        if (!ParseSeed(value, size) || size < TextureSettings::minSize ||
            size > TextureSettings::maxSize)
            options.error = "--texture-size needs a whole number from 16 to 8192, "
                            "not \"" +
                            value + "\"";
        else
            options.textureSize = static_cast<int>(size);
    } else if (TakeValue(args, i, "--texture-out", value)) {
        const FileKind kind = FileKindOf(value);
        if (kind != FileKind::Bmp && kind != FileKind::Png)
            options.error = "--texture-out writes a .bmp or .png file, not \"" + value + "\"";
        options.textureOut = value;
    } else if (TakeValue(args, i, "--heightmap", value)) {
        const FileKind kind = FileKindOf(value);
        if (kind != FileKind::Png && kind != FileKind::Ter)
            options.error = "--heightmap writes a .png or .ter file, not \"" + value + "\"";
        options.heightmapPath = value;
    } else if (TakeValue(args, i, "--mapping", value)) {
        if (value == "box")
            options.mapping = ViewerOptions::Mapping::Box;
        else if (value == "cylinder")
            options.mapping = ViewerOptions::Mapping::Cylinder;
        else if (value == "sphere")
            options.mapping = ViewerOptions::Mapping::Sphere;
        else
            options.error = "--mapping needs box, cylinder or sphere, not \"" + value + "\"";
    } else {
        return false;
    }
    return true;
}

// Options that only make sense with a picture to write.
void CheckPictureOptions(ViewerOptions& options) {
    if (options.action != ViewerOptions::Action::Run || !options.outputPath.empty())
        return;
    if (options.frames != 0)
        Fail(options, "--frames needs --output FILE");
    else if (options.offscreen)
        Fail(options, "--offscreen needs --output FILE: without a window it only writes pictures");
}

} // namespace

ViewerOptions ParseOptions(const std::vector<std::string>& args) {
    ViewerOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        const bool looksLikeOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!looksLikeOption) {
            if (options.modelPath.empty())
                options.modelPath = arg;
            else
                options.warnings.push_back("extra argument \"" + arg +
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
        } else if (TakeValue(args, i, "--up", value)) {
            if (!ParseUpAxis(value, options.up)) {
                options.action = ViewerOptions::Action::Error;
                options.error =
                    "--up needs an axis: +X, -X, +Y, -Y, +Z or -Z, not \"" + value + "\"";
                return options;
            }
        } else if (TakeValue(args, i, "--seed", value)) {
            if (!ParseSeed(value, options.seed)) {
                options.action = ViewerOptions::Action::Error;
                options.error = "--seed needs a whole number from 1 to 4294967295, "
                                "not \"" +
                                value + "\"";
                return options;
            }
            // The C generator seeds 0 as 1: seed 0 would silently repeat seed 1's texture.
            if (options.seed == 0) {
                options.action = ViewerOptions::Action::Error;
                options.error = "--seed 0 is not a seed (it draws seed 1's texture); "
                                "seeds run from 1 to 4294967295";
                return options;
            }
            options.haveSeed = true;
        } else if (ParsePictureOption(args, i, options)) {
            if (options.action == ViewerOptions::Action::Error)
                return options;
        } else if (ParseTextureOption(args, i, options)) {
            if (!options.error.empty()) {
                options.action = ViewerOptions::Action::Error;
                return options;
            }
        } else if (IsGlutOptionWithValue(arg)) {
            ++i;
        } else if (!IsGlutFlag(arg)) {
            options.warnings.push_back("unknown option \"" + arg + "\" ignored");
        }
    }
    CheckPictureOptions(options);
    // The data set's own model keeps its view.
    if (options.modelPath.empty() && options.up != UpAxis::PlusY)
        options.warnings.push_back("--up applies to a model named on the command "
                                   "line; ignored");
    return options;
}

std::string UsageText() {
    return "Usage: quillmere [options] [MODEL]\n"
           "\n"
           "Paints a fresh procedural texture, then shows a 3D model lit and spinning.\n"
           "Without MODEL it shows ./Data/uvmappedvorbel.obj, or, where there is no ./Data/,\n"
           "the data set installed with it (share/quillmere/ beside its bin/ folder). A\n"
           "model named here is framed to fill the window. The texture goes to ./Data/ when\n"
           "that folder exists, else to $XDG_CACHE_HOME/quillmere/ (~/.cache/quillmere/).\n"
           "A model named here is lit from the eye (with a fill light) on a grey background,\n"
           "both sides of its faces lit and none culled; faces without normals are smoothed.\n"
           "Pictures, archives and other files that hold no model are refused by their\n"
           "content, whatever the file is called.\n"
           "\n"
           "Options:\n"
           "  --help        print this text and exit\n"
           "  --version     print the version and exit\n"
           "  --seed N      make the start-up texture from seed N (1 to 4294967295) instead of\n"
           "                the clock, so it can be made again byte for byte; later Space runs\n"
           "                draw fresh seeds\n"
           "  --size WxH    the window's size, or the pictures' (default 400x400; each side\n"
           "                from 1 to 4096; wins over -geometry)\n"
           "  --background R,G,B\n"
           "                the background colour, each part from 0 to 1 (default black, and 0.2\n"
           "                grey behind a model named on the command line)\n"
           "  --output FILE draw one lit frame without a window, write it to FILE (.png or .bmp)\n"
           "                and exit; needs no display at all (EGL, Mesa's surfaceless platform)\n"
           "  --frames N    with --output: N pictures over one full turn, numbered from\n"
           "                FILE-000.png, instead of FILE (N from 1 to 3600)\n"
           "  --offscreen   with --output: draw without the display even when DISPLAY is set\n"
           "  --up AXIS     the named model's up axis: +Y (default), -Y, +Z, -Z, +X or -X;\n"
           "                framing, the spin and the view follow it\n"
           "  --texture-only\n"
           "                make the texture and exit: no window, no model, no display needed\n"
           "  --texture-size N\n"
           "                texture width and height in pixels, 16 to 8192 (default 512)\n"
           "  --texture-out PATH\n"
           "                write the texture to PATH instead: a 24-bit .bmp or a .png file\n"
           "  --seamless    make a texture that tiles left to right and top to bottom\n"
           "  --heightmap PATH\n"
           "                also write the noise map: a 16-bit greyscale .png (noise -1..1 as\n"
           "                0..65535) or a Terragen .ter file\n"
           "  --paint       start with the generated texture painted on the model (as 't')\n"
           "  --mapping box|cylinder|sphere\n"
           "                how the painted texture is laid on a model: box (the default; each\n"
           "                face takes the side of the model's box it faces most), around the\n"
           "                up axis (cylinder) or by latitude and longitude (sphere); the\n"
           "                texture is then made for that shape, so it shows no seam. Models\n"
           "                with texture coordinates keep theirs unless this is given\n"
           "  --quiet       print nothing on standard output\n"
           "  --            the next argument is the model, even if it starts with '-'\n"
           "GLUT's own options (-display, -geometry, -iconic, ...) are passed on to GLUT.\n"
           "\n"
           "Examples:\n"
           "  quillmere --seed 7 part.obj                      the model, spinning in a window\n"
           "  quillmere --size 256x256 --output thumb.png part.obj\n"
           "                                                   a 256 x 256 thumbnail\n"
           "  quillmere --frames 12 --output turn.png part.obj\n"
           "                                                   a turntable, turn-000.png to\n"
           "                                                   turn-011.png, 30 degrees apart\n"
           "  quillmere --background 1,1,1 --output white.bmp  the data set's model on white\n"
           "  quillmere --texture-only --seamless --texture-size 2048 --texture-out tile.png\n"
           "                                                   a seamless 2048 x 2048 tile\n"
           "  quillmere --texture-only --seed 7 --heightmap terrain.png\n"
           "                                                   a 16-bit heightmap\n"
           "  quillmere --paint --mapping cylinder vase.obj    the texture around a vase\n"
           "\n"
           "Mouse and keys:\n"
           "  left drag     turn the model\n"
           "  right drag    pan the model (a named model follows the pointer)\n"
           "  middle drag   move the model nearer or farther (a named model by a share of its\n"
           "                distance: 100 pixels double or halve it)\n"
           "  wheel         move nearer or farther, a fifth of the distance per notch\n"
           "  Space         make a new texture and reload the model\n"
           "  t             paint the generated texture on the model (again to go back)\n"
           "  r             reset the view (as at start-up, or as framed)\n"
           "  p             save a screenshot of the window as PNG in the working folder\n"
           "  k             keep the current texture: copy it to texture-<seed>.bmp beside it\n"
           "  w             cycle the render modes (textured, wire, solid)\n"
           "  n             show or hide the normals\n"
           "  c             turn back-face culling off and on\n"
           "  .             pause or resume the spin (a paused viewer draws only on changes)\n"
           "  Escape        quit\n"
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
           "A model file that cannot be opened or read, a bad option value, or a file that\n"
           "cannot be written ends the program with status 2 (before any window opens).\n";
}

std::string VersionText() {
    return "quillmere 1.2\n";
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

std::string InstalledDataFolder(const std::string& executable) {
    if (executable.empty())
        return std::string();
    const std::filesystem::path bin = std::filesystem::path(executable).parent_path();
    const std::filesystem::path prefix = bin.has_parent_path() ? bin.parent_path() : bin;
    return (prefix / "share" / "quillmere" / "").lexically_normal().string();
}

std::string WindowTitle(const std::string& modelPath) {
    if (modelPath.empty())
        return "Quillmere";
    const std::size_t slash = modelPath.find_last_of('/');
    return "Quillmere - " + (slash == modelPath.npos ? modelPath : modelPath.substr(slash + 1));
}
