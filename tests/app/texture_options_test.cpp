// The texture options on the command line, the check of the files they name, the box read from
// an OBJ file before it is loaded and the cylinder heights made from it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "app/options.h"
#include "app/texture_options.h"

namespace {

using Action = ViewerOptions::Action;
using Mapping = ViewerOptions::Mapping;

TEST(TextureOptionsTest, ParsesValuesAndRejectsBadOnesInOneLine) {
    struct Case {
        std::vector<std::string> args;
        const char* error; // start of the message, or empty
        int size;
        Mapping mapping;
    };
    const Case cases[] = {
        {{"--texture-only", "--seamless", "--paint", "--quiet"}, "", 512, Mapping::Own},
        {{"--texture-size", "16"}, "", 16, Mapping::Own},
        {{"--texture-size=8192", "m.obj"}, "", 8192, Mapping::Own},
        {{"--mapping", "box"}, "", 512, Mapping::Box},
        {{"--mapping=cylinder"}, "", 512, Mapping::Cylinder},
        {{"--mapping", "sphere", "--texture-size", "100"}, "", 100, Mapping::Sphere},
        {{"--texture-out", "a.PNG", "--heightmap", "h.ter"}, "", 512, Mapping::Own},
        {{"--texture-size", "15"}, "--texture-size needs", 512, Mapping::Own},
        {{"--texture-size", "8193"}, "--texture-size needs", 512, Mapping::Own},
        {{"--texture-size", "-16"}, "--texture-size needs", 512, Mapping::Own},
        {{"--texture-size"}, "--texture-size needs", 512, Mapping::Own},
        {{"--mapping", "cube"}, "--mapping needs", 512, Mapping::Own},
        {{"--mapping"}, "--mapping needs", 512, Mapping::Own},
        {{"--texture-out", "t.jpg"}, "--texture-out writes", 512, Mapping::Own},
        {{"--texture-out"}, "--texture-out writes", 512, Mapping::Own},
        {{"--heightmap", "h.bmp"}, "--heightmap writes", 512, Mapping::Own},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& arg : c.args)
            line += arg + " ";
        SCOPED_TRACE(line);
        const ViewerOptions options = ParseOptions(c.args);
        EXPECT_TRUE(options.warnings.empty());
        if (c.error[0] != '\0') {
            EXPECT_EQ(options.action, Action::Error);
            EXPECT_EQ(options.error.rfind(c.error, 0), 0u) << options.error;
            EXPECT_EQ(options.error.find('\n'), std::string::npos);
            continue;
        }
        EXPECT_EQ(options.action, Action::Run) << options.error;
        EXPECT_EQ(options.textureSize, c.size);
        EXPECT_EQ(options.mapping, c.mapping);
    }
    const ViewerOptions none = ParseOptions({"m.obj"});
    EXPECT_FALSE(none.textureOnly || none.seamless || none.paint || none.quiet);
    EXPECT_EQ(none.textureOut + none.heightmapPath, "");
}

TEST(TextureOptionsTest, HelpShowsEveryTextureOptionWithExamples) {
    const std::string help = UsageText();
    for (const char* entry :
         {"--texture-only", "--texture-size N", "--texture-out PATH", "--seamless",
          "--heightmap PATH", "--paint", "--mapping box|cylinder|sphere", "--quiet",
          "--seamless --texture-size 2048", "--heightmap terrain.png"})
        EXPECT_NE(help.find(entry), std::string::npos) << entry;
}

TEST(TextureOptionsTest, OutputFilesNeedAWritableFolder) {
    const std::filesystem::path folder = testing::TempDir() + "texture_options_test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "sub");
    std::filesystem::create_directories(folder / "locked");
    chmod((folder / "locked").c_str(), 0555);
    { std::ofstream((folder / "plain").string()) << "x"; }
    const bool root = geteuid() == 0; // the super-user writes into any folder
    const struct {
        std::string path;
        bool writable;
    } cases[] = {
        {(folder / "new.png").string(), true},
        {(folder / "plain").string(), true}, // replaced
        {(folder / "missing" / "t.png").string(), false},
        {(folder / "plain" / "t.png").string(), false}, // a file is no folder
        {(folder / "sub").string(), false},             // a folder is no file
        {(folder / "locked" / "t.png").string(), root},
        {"relative-name.png", true},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OutputFileProblem(c.path).empty(), c.writable) << c.path;
    chmod((folder / "locked").c_str(), 0755);
    std::filesystem::remove_all(folder);
}

TEST(TextureOptionsTest, CylinderHeightsComeFromTheBoxReadFromTheFile) {
    const std::string file = testing::TempDir() + "texture_options_test.obj";
    std::ofstream(file) << "# a box 4 wide, 6 tall and 2 deep\n"
                           "v -2 1 0\nvt 9 9\nvn 9 9 9\nv\t2 7 -2 1 0 0\n"
                           "v nan 100 0\nv 1 2\nf 1 2 3\n";
    float low[3];
    float high[3];
    ASSERT_TRUE(ObjFileBounds(file, low, high));
    EXPECT_EQ(std::vector<float>(low, low + 3), (std::vector<float>{-2, 1, -2}));
    EXPECT_EQ(std::vector<float>(high, high + 3), (std::vector<float>{2, 7, 0}));
    EXPECT_FALSE(ObjFileBounds(file + ".missing", low, high));

    // Radius: the mean half width across the up axis; the height span in radii.
    const struct {
        MappingBox box;
        MappingAxis up;
        double span;
    } cases[] = {
        {{{-2, 1, -2}, {2, 7, 0}}, MappingAxis{1, false}, 4.0}, // 6 tall, radius 1.5
        {{{-2, 1, -2}, {2, 7, 0}}, MappingAxis{2, false}, 0.8}, // 2 tall, radius 2.5
        {{{0, 0, 0}, {0, 3, 0}}, MappingAxis{1, false}, 2.0},   // a line: no radius
        {{{-1, 5, -1}, {1, 5, 1}}, MappingAxis{1, true}, 2.0},  // flat
    };
    for (const auto& c : cases) {
        double lower = 0.0;
        double upper = 0.0;
        CylinderHeights(c.box, c.up, lower, upper);
        EXPECT_DOUBLE_EQ(upper - lower, c.span);
        EXPECT_DOUBLE_EQ(lower, -upper);
    }
}

} // namespace
