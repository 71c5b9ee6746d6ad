// BMP files from other writers: ImageMagick's (decoded pixels checked against the pixels
// ImageMagick and Pillow report; more files from more tools in bitmap_variants_test) and the
// toolkit's WriterBMP (round trips).
#include "bmp_builder.h"
#include "image/image.h"
#include "toolkit/toolkit.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

namespace {

std::string DataPath(const std::string& name) {
    return std::string(QUILLMERE_TEST_DATA) + "/image/" + name;
}

struct ToolFile {
    const char* name;
    int width;
    int height;
};

class ToolFiles : public testing::TestWithParam<ToolFile> {};

// The .rgb beside each file is what the tool decodes, top line first; our rows are bottom-up.
TEST_P(ToolFiles, DecodeToThePixelsTheToolReports) {
    const ToolFile& file = GetParam();
    BitmapFile bitmap;
    ASSERT_EQ(ReadBitmapFile(DataPath(std::string(file.name) + ".bmp"), &bitmap), 0);
    ASSERT_EQ(bitmap.width, file.width);
    ASSERT_EQ(bitmap.height, file.height);
    const Bytes expected = ReadBytes(DataPath(std::string(file.name) + ".rgb"));
    const std::size_t row = static_cast<std::size_t>(file.width) * 3;
    ASSERT_EQ(expected.size(), row * file.height);
    for (int y = 0; y < file.height; ++y) {
        const unsigned char* ours = bitmap.data + row * y;
        const auto theirs =
            expected.begin() + static_cast<std::ptrdiff_t>(row * (file.height - 1 - y));
        EXPECT_EQ(Bytes(ours, ours + row), Bytes(theirs, theirs + static_cast<std::ptrdiff_t>(row)))
            << "row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(ImageMagick, ToolFiles,
                         testing::Values(ToolFile{"im-24bit-7x5", 7, 5},
                                         ToolFile{"im-8bit-13x6", 13, 6},
                                         ToolFile{"im-4bit-11x4", 11, 4},
                                         ToolFile{"im-1bit-21x3", 21, 3},
                                         ToolFile{"im-1bit-10x2", 10, 2}),
                         [](const testing::TestParamInfo<ToolFile>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

class WriterRoundTrip : public testing::TestWithParam<int> {};

// Width 4 stores rows without padding, width 5 with one padding byte per row.
TEST_P(WriterRoundTrip, ReadsBackEveryPixelUnshifted) {
    const int width = GetParam();
    const int height = 3;
    noise::utils::Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.SetValue(x, y,
                           noise::utils::Color(static_cast<noise::uint8>(10 * x + y),
                                               static_cast<noise::uint8>(100 + y),
                                               static_cast<noise::uint8>(200 + x), 7));
        }
    }
    const std::string path =
        testing::TempDir() + "writer_round_trip_" + std::to_string(width) + ".bmp";
    noise::utils::WriterBMP writer;
    writer.SetImage(image);
    writer.SetFileName(path);
    writer.Write();

    BitmapFile bitmap;
    ASSERT_EQ(ReadBitmapFile(path, &bitmap), 0);
    ASSERT_EQ(bitmap.width, width);
    ASSERT_EQ(bitmap.height, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            EXPECT_EQ(*bitmap.PixelAt(x, y, 0), 10 * x + y) << x << "," << y;
            EXPECT_EQ(*bitmap.PixelAt(x, y, 1), 100 + y) << x << "," << y;
            EXPECT_EQ(*bitmap.PixelAt(x, y, 2), 200 + x) << x << "," << y;
        }
    }
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Widths, WriterRoundTrip, testing::Values(4, 5));

} // namespace
