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
        {{"--seed", "0"}, Action::Run, "", true, 0, 0},
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

TEST(OptionsTest, HelpListsEveryOptionAndKey) {
    const std::string help = UsageText();
    for (const char* entry :
         {"--help", "--version", "--seed N", "[MODEL]", "left drag", "right drag", "middle drag",
          "wheel", "\n  Space", "\n  t ", "\n  r ", "\n  p ", "\n  k ", "\n  w ", "\n  n ",
          "\n  c ", "\n  . ", "\n  Escape"})
        EXPECT_NE(help.find(entry), std::string::npos) << entry;
    for (const char* format : {"OBJ", "PLY", "STL", "glTF", "GLB", "COLLADA", "3DS", "OFF", "FBX"})
        EXPECT_NE(help.find(format), std::string::npos) << format;
}

TEST(OptionsTest, TextureFolderTitleAndModelFileChecks) {
    EXPECT_EQ(CacheTextureFolder("/x/cache", "/home/u"), "/x/cache/quillmere/");
    EXPECT_EQ(CacheTextureFolder("relative", "/home/u"), "/home/u/.cache/quillmere/");
    EXPECT_EQ(CacheTextureFolder(nullptr, "/home/u"), "/home/u/.cache/quillmere/");
    EXPECT_EQ(CacheTextureFolder("", nullptr), "./.cache/quillmere/");

    EXPECT_EQ(WindowTitle(""), "Quillmere");
    EXPECT_EQ(WindowTitle("models/part.obj"), "Quillmere - part.obj");
    EXPECT_EQ(WindowTitle("part.obj"), "Quillmere - part.obj");

    const std::string file = testing::TempDir() + "options_test_model.obj";
    std::ofstream(file) << "v 0 0 0\n";
    EXPECT_EQ(ModelFileProblem(file), "");
    EXPECT_NE(ModelFileProblem(file + ".missing"), "");
    EXPECT_NE(ModelFileProblem(testing::TempDir()), ""); // a folder is no model
}
