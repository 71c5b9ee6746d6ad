// The viewer's command line, parsed without a window so that --help works anywhere.
#pragma once

#include <string>
#include <vector>

#include "app/camera.h"

struct ViewerOptions {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string modelPath; // empty: the data set's own model
    bool haveSeed = false;
    unsigned seed = 0; // the start-up texture's seed when haveSeed
    // The texture: its run alone, its size, files and surface, and painting it on the model.
    enum class Mapping { Own, Box, Cylinder, Sphere }; // Own: --mapping not given
    bool textureOnly = false;                          // --texture-only: the texture run, no window
    bool quiet = false;                                // --quiet: nothing on standard output
    bool paint = false;        // --paint: start with the generated texture painted ('t')
    int textureSize = 512;     // --texture-size N
    bool seamless = false;     // --seamless
    std::string textureOut;    // --texture-out PATH; empty: the usual file
    std::string heightmapPath; // --heightmap PATH; empty: none
    Mapping mapping = Mapping::Own;
    UpAxis up = UpAxis::PlusY;         // --up: the named model's up axis
    std::vector<std::string> warnings; // one line each: arguments that are ignored
    std::string error;                 // one line when action is Error
    // --size: the window's size for any model, or the size of the pictures --output writes.
    int width = 400;
    int height = 400;
    // --background R,G,B: the clear colour of the window and the pictures, each 0 to 1.
    bool haveBackground = false;
    float background[3] = {0.0f, 0.0f, 0.0f};
    // --output FILE (.png or .bmp): one picture drawn without a window, then exit.
    std::string outputPath;
    int frames = 0;         // --frames N: N numbered pictures over one turn; 0 for one picture
    bool offscreen = false; // --offscreen: never open a display, even when one is there
};

// args are the command-line arguments after the program name. GLUT's own options (-display,
// -geometry, -iconic, ...) are skipped here and left to glutInit.
ViewerOptions ParseOptions(const std::vector<std::string>& args);

// The text of --help: usage, options, every mouse action and key.
std::string UsageText();
std::string VersionText();

// Empty when the model file can be opened and read; otherwise the system's reason.
std::string ModelFileProblem(const std::string& path);

// Where the texture goes when there is no ./Data/: $XDG_CACHE_HOME/quillmere/ when that is an
// absolute path, else $HOME/.cache/quillmere/ (either may be null). Ends in '/'.
std::string CacheTextureFolder(const char* xdgCacheHome, const char* home);

// The data set installed with the program: share/quillmere/ beside the bin/ folder that holds
// the executable (an absolute path, as /proc/self/exe gives it), so that an installed tree may
// be moved anywhere. Ends in '/'; empty for an empty path.
std::string InstalledDataFolder(const std::string& executable);

// The window title: "Quillmere", followed by the model's file name when one was given.
std::string WindowTitle(const std::string& modelPath);
