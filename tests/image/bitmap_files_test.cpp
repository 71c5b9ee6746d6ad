// BMP files from the toolkit's WriterBMP read back pixel for pixel. Files from other writers are
// compared with their tools' decodes in bitmap_variants_test.
#include "bmp_builder.h"
#include "image/image.h"
#include "toolkit/toolkit.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

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
