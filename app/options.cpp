#include "app/options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// "WxH", each side a whole number from 1 to 16384.
bool ParseSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find_first_of("xX");
    if (x == text.npos)
        return false;
    const std::string sides[2] = {text.substr(0, x), text.substr(x + 1)};
    int values[2];
    for (int i = 0; i < 2; ++i) {
        const std::string& side = sides[i];
        if (side.empty() || side.size() > 5 || side.find_first_not_of("0123456789") != side.npos)
            return false;
        values[i] = std::atoi(side.c_str());
        if (values[i] < 1 || values[i] > 16384)
            return false;
    }
    width = values[0];
    height = values[1];
    return true;
}

// The value of "--name value" or "--name=value"; i moves past a separate value.
bool OptionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
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
        } else if (OptionValue(args, i, "--size", value)) {
            if (!ParseSize(value, options.windowWidth, options.windowHeight)) {
                options.action = ViewerOptions::Action::Error;
                options.error = "quillmere: --size needs a width and a height from 1 to 16384, "
                                "such as 800x600, not \"" +
                                value + "\"";
                return options;
            }
        } else if (OptionValue(args, i, "--up", value)) {
            if (!ParseUpAxis(value, options.up)) {
                options.action = ViewerOptions::Action::Error;
                options.error = "quillmere: --up needs an axis: +X, -X, +Y, -Y, +Z or -Z, not \"" +
                                value + "\"";
                return options;
            }
        } else if (OptionValue(args, i, "--seed", value)) {
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
    // The data set's own model keeps its view.
    if (options.modelPath.empty() && options.up != UpAxis::PlusY)
        options.warnings.push_back("quillmere: --up applies to a model named on the command "
                                   "line; ignored");
    return options;
}

std::string UsageText() {
    return "Usage: quillmere [options] [MODEL.obj]\n"
           "\n"
           "Paints a fresh procedural texture, then shows a Wavefront OBJ model lit and\n"
           "spinning. Without MODEL.obj it shows ./Data/uvmappedvorbel.obj; a model named here\n"
           "is framed to fill the window, and the texture goes to ./Data/ when that folder\n"
           "exists, else to $XDG_CACHE_HOME/quillmere/ (~/.cache/quillmere/).\n"
           "A model named here is lit from the eye (with a fill light) on a grey background,\n"
           "both sides of its faces lit and none culled; faces without normals are smoothed.\n"
           "It must be OBJ text: pictures, archives and other model formats (PLY, STL, glTF,\n"
           "FBX, ...) are refused by their content, whatever the file is called.\n"
           "\n"
           "Options:\n"
           "  --help        print this text and exit\n"
           "  --version     print the version and exit\n"
           "  --seed N      make the start-up texture from seed N (0 to 4294967295) instead of\n"
           "                the clock, so it can be made again byte for byte; later Space runs\n"
           "                draw fresh seeds\n"
           "  --size WxH    the window's size in pixels (default 400x400; wins over -geometry)\n"
           "  --up AXIS     the named model's up axis: +Y (default), -Y, +Z, -Z, +X or -X;\n"
           "                framing, the spin and the view follow it\n"
           "  --            the next argument is the model, even if it starts with '-'\n"
           "GLUT's own options (-display, -geometry, -iconic, ...) are passed on to GLUT.\n"
           "\n"
           "Mouse and keys:\n"
           "  left drag     turn the model\n"
           "  right drag    pan the model (a named model follows the pointer)\n"
           "  middle drag   move the model nearer or farther (a named model by a share of its\n"
           "                distance: 100 pixels double or halve it)\n"
           "  wheel         move nearer or farther, a fifth of the distance per notch\n"
           "  Space         make a new texture and reload the model\n"
           "  t             paint the generated texture on every face with texture coordinates\n"
           "  r             reset the view (as at start-up, or as framed)\n"
           "  p             save a screenshot of the window as PNG in the working folder\n"
           "  k             keep the current texture: copy it to texture-<seed>.bmp beside it\n"
           "  w             cycle the render modes (textured, wire, solid)\n"
           "  n             show or hide the normals\n"
           "  c             turn back-face culling off and on\n"
           "  .             pause or resume the spin (a paused viewer draws only on changes)\n"
           "  Escape        quit\n"
           "\n"
           "A model file that cannot be opened or is not OBJ text ends the program with\n"
           "status 2 before any window opens.\n";
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
