#include "app/options.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using Action = ViewerOptions::Action;

struct OptionsCase {
    std::vector<std::string> args;
    Action action;
    std::string modelPath;
    bool haveSeed;
    unsigned seed;
    std::size_t warnings;
};

} // namespace

TEST(OptionsTest, ParsesModelSeedAndPassesGlutOptionsOn) {
    const OptionsCase cases[] = {
        {{}, Action::Run, "", false, 0, 0},
        {{"cube.obj"}, Action::Run, "cube.obj", false, 0, 0},
        {{"--seed", "7", "cube.obj"}, Action::Run, "cube.obj", true, 7, 0},
        {{"cube.obj", "--seed=4294967295"}, Action::Run, "cube.obj", true, 4294967295u, 0},
        {{"--seed", "1"}, Action::Run, "", true, 1, 0},
        // The C generator seeds 0 as 1, so 0 is refused rather than repeating seed 1.
        {{"--seed", "0"}, Action::Error, "", false, 0, 0},
        {{"--seed=0000"}, Action::Error, "", false, 0, 0},
        // GLUT's options and their values are neither the model nor unknown.
        {{"-display", ":3", "-geometry", "10x10", "-iconic", "m.obj"},
         Action::Run,
         "m.obj",
         false,
         0,
         0},
        // Unknown options and a second model are warned about and otherwise ignored.
        {{"--fast", "a.obj", "b.obj"}, Action::Run, "a.obj", false, 0, 2},
        {{"--", "-odd.obj"}, Action::Run, "-odd.obj", false, 0, 0},
        {{"-"}, Action::Run, "-", false, 0, 0},
        {{"a.obj", "--help", "--seed", "x"}, Action::Help, "a.obj", false, 0, 0},
        {{"--version"}, Action::Version, "", false, 0, 0},
        {{"--seed"}, Action::Error, "", false, 0, 0},
        {{"--seed", "-1"}, Action::Error, "", false, 0, 0},
        {{"--seed", "7x"}, Action::Error, "", false, 0, 0},
        {{"--seed", "4294967296"}, Action::Error, "", false, 0, 0},
        {{"--seed="}, Action::Error, "", false, 0, 0},
        // --size and --up take their value separately or after '='; bad values are errors.
        {{"--size", "800x600", "--up=+Z", "m.obj"}, Action::Run, "m.obj", false, 0, 0},
        {{"--size=0x10"}, Action::Error, "", false, 0, 0},
        {{"--size", "640"}, Action::Error, "", false, 0, 0},
        {{"--size", "16385x10"}, Action::Error, "", false, 0, 0},
        {{"--size", "-5x10"}, Action::Error, "", false, 0, 0},
        {{"--up", "z"}, Action::Run, "", false, 0, 1}, // no model to turn
        {{"--up"}, Action::Error, "", false, 0, 0},
        {{"--up", "up"}, Action::Error, "", false, 0, 0},
    };
    for (const OptionsCase& c : cases) {
        std::string line;
        for (const std::string& arg : c.args)
            line += arg + " ";
        SCOPED_TRACE(line);
        const ViewerOptions options = ParseOptions(c.args);
        EXPECT_EQ(options.action, c.action);
        EXPECT_EQ(options.modelPath, c.modelPath);
        EXPECT_EQ(options.haveSeed, c.haveSeed);
        if (c.haveSeed)
            EXPECT_EQ(options.seed, c.seed);
        EXPECT_EQ(options.warnings.size(), c.warnings);
        EXPECT_EQ(options.error.empty(), c.action != Action::Error);
        for (const std::string& message : options.warnings)
            EXPECT_EQ(message.find('\n'), std::string::npos);
    }
}

// The window's size and the named model's up axis as the user writes them.
TEST(OptionsTest, SizeAndUpAxisValues) {
    const struct {
        std::vector<std::string> args;
        int width, height;
        UpAxis up;
    } cases[] = {
        {{}, 400, 400, UpAxis::PlusY},
        {{"--size", "800x600"}, 800, 600, UpAxis::PlusY},
        {{"--size=1X4096", "--up", "z"}, 1, 4096, UpAxis::PlusZ},
        {{"--up=-y", "--size", "321x123"}, 321, 123, UpAxis::MinusY},
        {{"--up", "+X"}, 400, 400, UpAxis::PlusX},
        {{"--up", "-Z"}, 400, 400, UpAxis::MinusZ},
        {{"--up", "-x"}, 400, 400, UpAxis::MinusX},
    };
    for (const auto& c : cases) {
        const ViewerOptions options = ParseOptions(c.args);
        EXPECT_EQ(options.action, Action::Run);
        EXPECT_EQ(options.width, c.width);
        EXPECT_EQ(options.height, c.height);
        EXPECT_EQ(options.up, c.up);
    }
}

TEST(OptionsTest, HelpListsEveryOptionAndKey) {
    const std::string help = UsageText();
    for (const char* entry : {"--help",        "--version",
                              "--seed N",      "[MODEL]",
                              "--size WxH",    "--background R,G,B",
                              "--output FILE", "--frames N",
                              "--offscreen",   "--frames 12 --output turn.png",
                              "--up AXIS",     "left drag",
                              "right drag",    "middle drag",
                              "wheel",         "\n  Space",
                              "\n  t ",        "\n  r ",
                              "\n  p ",        "\n  k ",
                              "\n  w ",        "\n  n ",
                              "\n  c ",        "\n  . ",
                              "\n  Escape"})
        EXPECT_NE(help.find(entry), std::string::npos) << entry;
    for (const char* format : {"OBJ", "PLY", "STL", "glTF", "GLB", "COLLADA", "3DS", "OFF", "FBX"})
        EXPECT_NE(help.find(format), std::string::npos) << format;
}

TEST(OptionsTest, TextureFolderTitleAndModelFileChecks) {
    EXPECT_EQ(CacheTextureFolder("/x/cache", "/home/u"), "/x/cache/quillmere/");
    EXPECT_EQ(CacheTextureFolder("relative", "/home/u"), "/home/u/.cache/quillmere/");
    EXPECT_EQ(CacheTextureFolder(nullptr, "/home/u"), "/home/u/.cache/quillmere/");
    EXPECT_EQ(CacheTextureFolder("", nullptr), "./.cache/quillmere/");

    // The installed data set is found from the executable's own place, wherever the tree is.
    const std::pair<const char*, const char*> installs[] = {
        {"/usr/bin/quillmere", "/usr/share/quillmere/"},
        {"/opt/q/bin/quillmere", "/opt/q/share/quillmere/"},
        {"/home/u/moved/bin/../bin/quillmere", "/home/u/moved/share/quillmere/"},
        {"/quillmere", "/share/quillmere/"},
        {"", ""},
    };
    for (const auto& [executable, folder] : installs)
        EXPECT_EQ(InstalledDataFolder(executable), folder) << executable;

    EXPECT_EQ(WindowTitle(""), "Quillmere");
    EXPECT_EQ(WindowTitle("models/part.obj"), "Quillmere - part.obj");
    EXPECT_EQ(WindowTitle("part.obj"), "Quillmere - part.obj");

    const std::string file = testing::TempDir() + "options_test_model.obj";
    std::ofstream(file) << "v 0 0 0\n";
    EXPECT_EQ(ModelFileProblem(file), "");
    EXPECT_NE(ModelFileProblem(file + ".missing"), "");
    EXPECT_NE(ModelFileProblem(testing::TempDir()), ""); // a folder is no model
}

namespace {

struct PictureCase {
    std::vector<std::string> args;
    int width, height;
    std::string outputPath;
    int frames;
    float red; // the background's first part; -1 when none is given
};

} // namespace

TEST(OptionsTest, PictureOptionsAndTheirLimits) {
    const PictureCase accepted[] = {
        {{}, 400, 400, "", 0, -1.0f},
        {{"--size", "640x480", "--output", "a.png"}, 640, 480, "a.png", 0, -1.0f},
        {{"--size=1x4096", "--output=d/b.BMP", "--frames", "12"}, 1, 4096, "d/b.BMP", 12, -1.0f},
        {{"--background", "0.25,0,1"}, 400, 400, "", 0, 0.25f},
        {{"--background=1, 0.5, 0"}, 400, 400, "", 0, 1.0f},
        {{"--offscreen", "--output", "t.png", "--frames=3600"}, 400, 400, "t.png", 3600, -1.0f},
    };
    for (const PictureCase& c : accepted) {
        const ViewerOptions options = ParseOptions(c.args);
        SCOPED_TRACE(c.args.empty() ? "" : c.args[0] + " " + c.args.back());
        EXPECT_EQ(options.action, Action::Run) << options.error;
        EXPECT_EQ(options.width, c.width);
        EXPECT_EQ(options.height, c.height);
        EXPECT_EQ(options.outputPath, c.outputPath);
        EXPECT_EQ(options.frames, c.frames);
        EXPECT_EQ(options.haveBackground, c.red >= 0.0f);
        EXPECT_EQ(options.background[0], c.red >= 0.0f ? c.red : 0.0f);
        EXPECT_TRUE(options.warnings.empty());
    }
    const std::vector<std::string> rejected[] = {
        {"--size", "0x10"},
        {"--size", "4097x10"},
        {"--size", "640"},
        {"--size", "640x"},
        {"--size", "-640x480"},
        {"--size"},
        {"--background", "0,0"},
        {"--background", "0,0,0,0"},
        {"--background", "0,0,1.01"},
        {"--background", "-0.1,0,0"},
        {"--background", "nan,0,0"},
        {"--background", "0,0x,0"},
        {"--background", "0,,0"},
        {"--output", "a.jpg"},
        {"--output", ".png"},
        {"--output", "dir/.png"},
        {"--output"},
        {"--output", "a.png", "--frames", "0"},
        {"--output", "a.png", "--frames", "3601"},
        // Options that only mean something for pictures need --output.
        {"--frames", "4"},
        {"--offscreen"},
    };
    for (const std::vector<std::string>& args : rejected) {
        const ViewerOptions options = ParseOptions(args);
        SCOPED_TRACE(args[0] + " " + args.back());
        EXPECT_EQ(options.action, Action::Error);
        EXPECT_FALSE(options.error.empty());
        // the report adds the program's prefix; a message that carries its own would double it
        EXPECT_EQ(options.error.rfind("quillmere", 0), std::string::npos) << options.error;
        EXPECT_EQ(options.error.find('\n'), std::string::npos);
    }
}
