// The files of --output: picture names of a turntable and the bytes written (row order, format by
// extension, no half-written file under the final name). The refusals before anything is drawn
// are checked end to end by offscreen_e2e.
#include "app/offscreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::vector<unsigned char> Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class OffscreenFilesTest : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::path(testing::TempDir()) / "offscreen_test";
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    // Everything in the folder but the given names.
    std::vector<std::string> Others(std::initializer_list<std::string> names) {
        std::vector<std::string> others;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (std::find(names.begin(), names.end(), name) == names.end())
                others.push_back(name);
        }
        return others;
    }
    fs::path folder;
    // Two rows of three pixels as OpenGL reads them: the bottom row (red, red, blue) first,
    // then the top row (green, green, white).
    const std::vector<unsigned char> rgb = {255, 0,   0, 255, 0,   0, 0,   0,   255,
                                            0,   255, 0, 0,   255, 0, 255, 255, 255};
};

} // namespace

TEST(OffscreenNamesTest, FramePathsNumberTheTurn) {
    const struct {
        std::string path;
        int index, count;
        std::string expected;
    } cases[] = {
        {"turn.png", 0, 12, "turn-000.png"},
        {"turn.png", 11, 12, "turn-011.png"},
        {"out/a.b/turn.BMP", 7, 8, "out/a.b/turn-007.BMP"},
        {"t.png", 999, 1000, "t-999.png"},
        {"t.png", 5, 1001, "t-0005.png"},
        {"t.png", 3599, 3600, "t-3599.png"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FramePath(c.path, c.index, c.count), c.expected) << c.path << " " << c.index;
}

TEST_F(OffscreenFilesTest, BmpIsBottomUpBgrWithPaddedRows) {
    const fs::path path = folder / "p.Bmp";
    std::ofstream(path) << "an older file under the same name";
    ASSERT_EQ(WritePicture(path.string(), 3, 2, rgb), "");
    const std::vector<unsigned char> file = Bytes(path);
    ASSERT_EQ(file.size(), 54u + 2 * 12); // rows of 9 bytes padded to 12
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(file[18], 3);  // width
    EXPECT_EQ(file[22], 2);  // height, positive: bottom row first
    EXPECT_EQ(file[28], 24); // bits per pixel
    const std::vector<unsigned char> bottom(file.begin() + 54, file.begin() + 63);
    const std::vector<unsigned char> top(file.begin() + 66, file.begin() + 75);
    EXPECT_EQ(bottom, (std::vector<unsigned char>{0, 0, 255, 0, 0, 255, 255, 0, 0}));
    EXPECT_EQ(top, (std::vector<unsigned char>{0, 255, 0, 0, 255, 0, 255, 255, 255}));
    EXPECT_EQ(Others({"p.Bmp"}), std::vector<std::string>());
}

TEST_F(OffscreenFilesTest, AFailedWriteLeavesNoFile) {
    EXPECT_NE(WritePicture((folder / "missing" / "p.png").string(), 3, 2, rgb), "");
    // A folder in the way of the final name: the temporary file goes again.
    fs::create_directory(folder / "taken.png");
    fs::create_directory(folder / "taken.png" / "inside");
    EXPECT_NE(WritePicture((folder / "taken.png").string(), 3, 2, rgb), "");
    EXPECT_EQ(Others({"taken.png"}), std::vector<std::string>());
}
