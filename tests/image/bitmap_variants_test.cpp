// BMP files of every common kind, written by ImageMagick, Pillow and by hand
// (tests/image/make_bmp_variants.py writes them again), decoded and compared pixel by pixel with
// an independent decoder's result; then cut at every length within their headers and at points
// in their pixels.
#include "bmp_builder.h"
#include "image/bitmap_stream.h"
#include "image/image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

struct Variant {
    std::string name;
    int width = 0;
    int height = 0;
    int tolerance = 0;
    bool alpha = false;
    std::string reference;
};

class BitmapVariants : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::ifstream manifest(folder + "/manifest");
        Variant variant;
        int alpha = 0;
        while (manifest >> variant.name >> variant.width >> variant.height >> variant.tolerance >>
               alpha >> variant.reference) {
            variant.alpha = alpha != 0;
            variants.push_back(variant);
        }
    }
    void SetUp() override { ASSERT_GE(variants.size(), 30u) << "no manifest in " << folder; }
    static std::string PathOf(const Variant& variant, const char* suffix) {
        return folder + "/" + variant.name + suffix;
    }
    static const std::string folder;
    static std::vector<Variant> variants;
};

const std::string BitmapVariants::folder = std::string(QUILLMERE_TEST_DATA) + "/image/variants";
std::vector<Variant> BitmapVariants::variants;

TEST_F(BitmapVariants, DecodeToTheReferencePixels) {
    for (const Variant& variant : variants) {
        SCOPED_TRACE(variant.name + " (reference: " + variant.reference + ")");
        BitmapFile bitmap;
        ASSERT_EQ(ReadBitmapFile(PathOf(variant, ".bmp"), &bitmap), 0);
        ASSERT_EQ(bitmap.width, variant.width);
        ASSERT_EQ(bitmap.height, variant.height);
        ASSERT_EQ(bitmap.alpha != nullptr, variant.alpha);
        const Bytes expected = ReadBytes(PathOf(variant, ".rgba"));
        ASSERT_EQ(expected.size(), static_cast<std::size_t>(variant.width) * variant.height * 4);
        int mismatches = 0;
        for (int y = 0; y < variant.height && mismatches < 5; ++y) {
            // the reference is top line first; our row 0 is the bottom line
            const unsigned char* theirs =
                expected.data() +
                static_cast<std::size_t>(variant.height - 1 - y) * variant.width * 4;
            for (int x = 0; x < variant.width; ++x) {
                const std::size_t at = static_cast<std::size_t>(y) * variant.width + x;
                for (int c = 0; c < 4; ++c) {
                    if (c == 3 && !variant.alpha) {
                        continue;
                    }
                    const int ours = c < 3 ? bitmap.data[3 * at + c] : bitmap.alpha[at];
                    if (std::abs(ours - theirs[4 * x + c]) > variant.tolerance &&
                        ++mismatches < 5) {
                        ADD_FAILURE() << "pixel " << x << "," << y << " channel " << c << ": "
                                      << ours << " against " << int(theirs[4 * x + c]);
                    }
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

// Run under the sanitizers, this shows that no cut makes the reader step outside its buffers;
// the codes show that a cut file is never taken for a whole one.
TEST_F(BitmapVariants, CutFilesGiveCodesNeverOverreads) {
    for (const Variant& variant : variants) {
        SCOPED_TRACE(variant.name);
        const Bytes file = ReadBytes(PathOf(variant, ".bmp"));
        const std::size_t offset = file[10] | file[11] << 8 | file[12] << 16;
        ASSERT_LT(offset, file.size());
        std::vector<std::size_t> lengths;
        for (std::size_t length = 0; length <= offset; ++length) {
            lengths.push_back(length);
        }
        const std::size_t pixels = file.size() - offset;
        for (std::size_t part : {std::size_t{1}, pixels / 3, pixels / 2, pixels - 1}) {
            lengths.push_back(offset + part);
        }
        for (std::size_t length : lengths) {
            const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
            BitmapFile bitmap;
            const char code = ReadBitmapMemory(cut.data(), cut.size(), &bitmap);
            if (length <= offset + 1) {
                // a cut header, or a size that a byte of pixels cannot hold: no record
                EXPECT_TRUE(code == 'u' || code == 'f') << length << " bytes: " << int(code);
                EXPECT_EQ(bitmap.data != nullptr, code == 'f' && length > offset);
            } else if (length < offset + pixels / 2 + 1) {
                EXPECT_EQ(code, 'f') << length << " bytes";
                EXPECT_NE(bitmap.data, nullptr);
            } else {
                // a cut that loses only padding, or bytes after the end-of-bitmap escape, is whole
                EXPECT_TRUE(code == 'f' || code == 0) << length << " bytes: " << int(code);
                EXPECT_NE(bitmap.data, nullptr);
            }
        }
        // the same through a stream, which is read a few rows at a time
        std::istringstream stream(std::string(file.begin(), file.end()));
        BitmapFile bitmap;
        EXPECT_EQ(ReadBitmapStream(stream, &bitmap), 0);
    }
}

} // namespace
