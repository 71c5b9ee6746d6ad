// BMP decoding from hand-built bytes: palettes, bit and nibble order, padding, row order, the
// error codes, and files that lie about their size or end early.
#include "bmp_builder.h"
#include "image/bitmap_stream.h"
#include "image/image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <sstream>

namespace {

using Rgb = std::array<unsigned char, 3>;

// Palette entry i is red i, green 255 - i, blue 7i + 3: every entry differs in every channel.
Rgb Entry(int i) {
    return {static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i),
            static_cast<unsigned char>(i * 7 + 3)};
}

Bytes MakePalette(int entries) {
    Bytes palette;
    for (int i = 0; i < entries; ++i) {
        const Rgb rgb = Entry(i);
        palette.insert(palette.end(), {rgb[2], rgb[1], rgb[0], 0});
    }
    return palette;
}

Rgb PixelOf(BitmapFile& bitmap, int x, int y) {
    return {*bitmap.PixelAt(x, y, 0), *bitmap.PixelAt(x, y, 1), *bitmap.PixelAt(x, y, 2)};
}

char Read(const Bytes& bytes, BitmapFile* bitmap) {
    return ReadBitmapMemory(bytes.data(), bytes.size(), bitmap);
}

void ExpectIndices(BitmapFile& bitmap, int y, const std::vector<int>& indices) {
    ASSERT_EQ(bitmap.width, static_cast<int>(indices.size()));
    for (int x = 0; x < bitmap.width; ++x) {
        EXPECT_EQ(PixelOf(bitmap, x, y), Entry(indices[x])) << "pixel " << x << ", row " << y;
    }
}

// A record holding a 2 x 1 image; errors that leave the record untouched must keep all of it.
struct Prefilled {
    BitmapFile bitmap;
    unsigned char* original;
    Prefilled() {
        bitmap.width = 2;
        bitmap.height = 1;
        bitmap.Allocate();
        for (int i = 0; i < 6; ++i) {
            bitmap.data[i] = static_cast<unsigned char>(i + 1);
        }
        original = bitmap.data;
    }
    void ExpectUntouched() {
        EXPECT_EQ(bitmap.width, 2);
        EXPECT_EQ(bitmap.height, 1);
        ASSERT_EQ(bitmap.data, original);
        EXPECT_EQ(Bytes(bitmap.data, bitmap.data + 6), (Bytes{1, 2, 3, 4, 5, 6}));
    }
};

Bytes ValidRgbFile() {
    return MakeBmp(2, 2, 24, {}, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}});
}

TEST(BitmapReader, DecodesPaletteIndicesWithBitAndNibbleOrderAndSkipsPadding) {
    BitmapFile bitmap;
    // width 10: two data bytes and two padding bytes per row; pixels 8 and 9 are the two
    // highest bits of the second byte, its six low bits are not pixels
    ASSERT_EQ(Read(MakeBmp(10, 2, 1, MakePalette(2), {{0xB2, 0x7F}, {0x4D, 0xBF}}), &bitmap), 0);
    ExpectIndices(bitmap, 0, {1, 0, 1, 1, 0, 0, 1, 0, 0, 1});
    ExpectIndices(bitmap, 1, {0, 1, 0, 0, 1, 1, 0, 1, 1, 0});

    // high nibble first; the odd width leaves the low nibble of the last byte unused
    ASSERT_EQ(Read(MakeBmp(3, 1, 4, MakePalette(16), {{0x1F, 0x7A}}), &bitmap), 0);
    ExpectIndices(bitmap, 0, {1, 15, 7});

    ASSERT_EQ(Read(MakeBmp(3, 2, 8, MakePalette(256), {{5, 0, 255}, {128, 1, 2}}), &bitmap), 0);
    EXPECT_EQ(bitmap.height, 2);
    ExpectIndices(bitmap, 0, {5, 0, 255});
    ExpectIndices(bitmap, 1, {128, 1, 2});
}

TEST(BitmapReader, StoresBlueGreenRedAsRgbWithRowZeroFirst) {
    BitmapFile bitmap;
    // width 1: three padding bytes per row
    Bytes file = MakeBmp(1, 2, 24, {}, {{10, 20, 30}, {40, 50, 60}});
    ASSERT_EQ(Read(file, &bitmap), 0);
    EXPECT_EQ(Bytes(bitmap.data, bitmap.data + 6), (Bytes{30, 20, 10, 60, 50, 40}));

    // only the low byte of the bits-per-pixel field counts: 280 reads as 24
    file[29] = 1;
    ASSERT_EQ(Read(file, &bitmap), 0);
    EXPECT_EQ(Bytes(bitmap.data, bitmap.data + 6), (Bytes{30, 20, 10, 60, 50, 40}));

    // a file that ends right after its last pixel, without the row padding, is complete
    file.resize(file.size() - 1);
    EXPECT_EQ(Read(file, &bitmap), 0);
}

TEST(BitmapReader, TopDownFileIsStoredBottomUp) {
    Bytes file = MakeBmp(1, 3, 24, {}, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
    Put32(file, 22, static_cast<std::uint32_t>(-3));
    BitmapFile bitmap;
    ASSERT_EQ(Read(file, &bitmap), 0);
    EXPECT_EQ(bitmap.height, 3);
    // the first stored row is the top line
    EXPECT_EQ(Bytes(bitmap.data, bitmap.data + 9), (Bytes{3, 3, 3, 2, 2, 2, 1, 1, 1}));
}

TEST(BitmapReader, ErrorMessages) {
    EXPECT_EQ(BitmapErrorText(0), "No errors detected");
    EXPECT_EQ(BitmapErrorText('o'), "Failed to open the file, suspect it doesn't exist");
    EXPECT_EQ(BitmapErrorText('b'),
              "This file is not a bitmap, specifically it doesn't start 'BM'");
    EXPECT_EQ(BitmapErrorText('u'), "Unknown bmp format, ie not 24bit, 256,16 or 2 colour");
    EXPECT_EQ(BitmapErrorText('f'), "ferror said we had an error. This error seems to not always "
                                    "mean anything, try ignoring it");
    EXPECT_EQ(BitmapErrorText('i'),
              "sizeof(int)!=4 quite a lot of rewriting probably needs to be done on the code");
    EXPECT_EQ(BitmapErrorText('x'), "Not a valid error code");
    EXPECT_EQ(BitmapErrorText('\xE9'), "Not a valid error code");
}

TEST(BitmapReader, FilesReadFromDisk) {
    const std::string path = testing::TempDir() + "bitmap_reader_test.bmp";
    WriteBytes(path, ValidRgbFile());
    BitmapFile bitmap;
    EXPECT_EQ(ReadBitmapFile(path, &bitmap), 0);
    EXPECT_EQ(bitmap.width, 2);
    EXPECT_EQ(CheckBitmapFile(path), 0);

    Prefilled missing;
    EXPECT_EQ(ReadBitmapFile(path + ".missing", &missing.bitmap), 'o');
    missing.ExpectUntouched();
    EXPECT_EQ(CheckBitmapFile(path + ".missing"), 'o');

    Bytes depth2 = ValidRgbFile();
    depth2[28] = 2;
    WriteBytes(path, depth2);
    EXPECT_EQ(CheckBitmapFile(path), 'u');
}

// A valid file with one header field replaced (and the depth byte set).
Bytes Patched(std::size_t field, std::uint32_t value, int depth = 24) {
    Bytes file = ValidRgbFile();
    Put32(file, field, value);
    file[28] = static_cast<unsigned char>(depth);
    return file;
}

TEST(BitmapReader, FilesThatCannotBeReadLeaveTheRecordUntouched) {
    const Bytes whole = ValidRgbFile();
    Bytes notBm = whole;
    notBm[1] = 'A';
    // 255 bits per pixel make the stored size overflow 64 bits
    Bytes overflow = Patched(22, 0x7FFFFFFFu, 255);
    Put32(overflow, 18, 0x7FFFFFFFu);
    const struct {
        const char* what;
        Bytes file;
        char code;
    } cases[] = {
        {"not BM", notBm, 'b'},
        {"one byte", Bytes{'X'}, 'b'},
        {"empty", Bytes(), 'f'},
        {"cut after 1 byte", Bytes(whole.begin(), whole.begin() + 1), 'f'},
        {"cut after 2 bytes", Bytes(whole.begin(), whole.begin() + 2), 'f'},
        {"cut inside the information header", Bytes(whole.begin(), whole.begin() + 53), 'f'},
        {"width 0", Patched(18, 0), 'u'},
        {"negative width", Patched(18, static_cast<std::uint32_t>(-2)), 'u'},
        {"height 0", Patched(22, 0), 'u'},
        {"most negative height", Patched(22, 0x80000000u), 'u'},
        {"far more rows than the file holds", Patched(22, 100000), 'u'},
        {"byte count overflows", overflow, 'u'},
        {"pixel data inside the header", Patched(10, 20), 'u'},
        {"pixel data past the end", Patched(10, 1000), 'u'},
        {"run-length compression", Patched(30, 1), 'u'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Prefilled record;
        EXPECT_EQ(Read(c.file, &record.bitmap), c.code);
        record.ExpectUntouched();
    }
}

TEST(BitmapReader, UnsupportedDepthKeepsTheHeaderSizeInBlack) {
    for (int depth : {2, 64}) {
        const std::size_t row = (3 * depth + 7) / 8;
        Bytes file = MakeBmp(3, 2, depth, {}, {Bytes(row, 0x77), Bytes(row, 0x77)});
        BitmapFile bitmap;
        EXPECT_EQ(Read(file, &bitmap), 'u') << depth;
        EXPECT_EQ(bitmap.width, 3);
        EXPECT_EQ(bitmap.height, 2);
        ASSERT_NE(bitmap.data, nullptr);
        EXPECT_EQ(Bytes(bitmap.data, bitmap.data + 18), Bytes(18, 0)) << depth;
    }
}

TEST(BitmapReader, PixelDataEndingEarlyGivesFWithTheUnreadPixelsBlack) {
    Bytes file =
        MakeBmp(3, 3, 24, {}, {Bytes(9, 0x11), {1, 2, 3, 4, 5, 6, 7, 8, 9}, Bytes(9, 0x33)});
    // row 0 whole, then the first pixel and one byte of the second pixel of row 1
    file.resize(54 + 12 + 4);
    Prefilled record;
    EXPECT_EQ(Read(file, &record.bitmap), 'f');
    BitmapFile& bitmap = record.bitmap;
    ASSERT_EQ(bitmap.width, 3);
    ASSERT_EQ(bitmap.height, 3);
    EXPECT_EQ(Bytes(bitmap.data, bitmap.data + 9), Bytes(9, 0x11));
    EXPECT_EQ(Bytes(bitmap.data + 9, bitmap.data + 27),
              (Bytes{3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    // a 4-bit row of odd width cut after its first byte: two pixels read, the third black
    BitmapFile nibbles;
    Bytes short4 = MakeBmp(3, 1, 4, MakePalette(16), {{0x12, 0x30}});
    short4.resize(54 + 64 + 1);
    EXPECT_EQ(Read(short4, &nibbles), 'f');
    EXPECT_EQ(PixelOf(nibbles, 1, 0), Entry(2));
    EXPECT_EQ(PixelOf(nibbles, 2, 0), (Rgb{0, 0, 0}));
}

TEST(BitmapReader, PaletteEntriesPastTheEndOfTheFileAreBlack) {
    // an 8-bit file with only two palette entries stored: its pixels start at offset 62, so
    // entries 2 and up overlap the pixels or lie past the end
    Bytes file = MakeBmp(4, 1, 8, MakePalette(2), {{1, 0, 200, 1}});
    BitmapFile bitmap;
    ASSERT_EQ(Read(file, &bitmap), 0);
    EXPECT_EQ(PixelOf(bitmap, 0, 0), Entry(1));
    EXPECT_EQ(PixelOf(bitmap, 1, 0), Entry(0));
    EXPECT_EQ(PixelOf(bitmap, 2, 0), (Rgb{0, 0, 0}));
}

// A stream that cannot seek, like a pipe: its length is unknown until it ends.
class PipeBuffer : public std::streambuf {
public:
    explicit PipeBuffer(Bytes bytes) : m_bytes(std::move(bytes)) {
        char* begin = reinterpret_cast<char*>(m_bytes.data());
        setg(begin, begin, begin + m_bytes.size());
    }

private:
    Bytes m_bytes;
};

TEST(BitmapReader, StreamsAreReadFromTheirPositionWhetherOrNotTheyCanSeek) {
    const Bytes file = ValidRgbFile();
    std::string text = "junk!" + std::string(file.begin(), file.end()) + "trailing";
    std::istringstream seekable(text);
    seekable.seekg(5);
    BitmapFile fromStream;
    ASSERT_EQ(ReadBitmapStream(seekable, &fromStream), 0);
    EXPECT_EQ(Bytes(fromStream.data, fromStream.data + 12),
              (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));

    PipeBuffer pipe(file);
    std::istream unseekable(&pipe);
    BitmapFile fromPipe;
    ASSERT_EQ(ReadBitmapStream(unseekable, &fromPipe), 0);
    EXPECT_EQ(Bytes(fromPipe.data, fromPipe.data + 12),
              Bytes(fromStream.data, fromStream.data + 12));

    Bytes huge = file;
    Put32(huge, 18, 30000);
    Put32(huge, 22, 30000);
    PipeBuffer hugePipe(huge);
    std::istream hugeStream(&hugePipe);
    EXPECT_EQ(ReadBitmapStream(hugeStream, &fromPipe), 'u');
}

TEST(BitmapReader, RecordAllocationAndReplacement) {
    BitmapFile bitmap;
    bitmap.width = 2;
    bitmap.height = 3;
    bitmap.Allocate();
    ASSERT_NE(bitmap.data, nullptr);
    EXPECT_EQ(Bytes(bitmap.data, bitmap.data + 18), Bytes(18, 0));
    EXPECT_EQ(bitmap.PixelAt(1, 2, 2), bitmap.data + 17);

    ASSERT_EQ(Read(MakeBmp(1, 1, 24, {}, {{9, 8, 7}}), &bitmap), 0);
    EXPECT_EQ(bitmap.width, 1);
    EXPECT_EQ(bitmap.height, 1);
    EXPECT_EQ(Bytes(bitmap.data, bitmap.data + 3), (Bytes{7, 8, 9}));

    bitmap.width = 0;
    bitmap.Allocate();
    EXPECT_EQ(bitmap.data, nullptr);
}

// Needs no GL context: the record takes the pixels over from its image and frees them itself.
TEST(BitmapReader, TextureImageTakesOverTheDecodedPixels) {
    const std::string path = testing::TempDir() + "texture_image_test.bmp";
    WriteBytes(path, ValidRgbFile());
    testing::internal::CaptureStdout();
    Texture* texture = ReadTextureImage(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "carregou bmp\n");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->image.data, nullptr);
    ASSERT_NE(texture->data, nullptr);
    EXPECT_EQ(Bytes(texture->data, texture->data + 3), (Bytes{3, 2, 1}));
    EXPECT_EQ(texture->width, 2);
    EXPECT_EQ(texture->height, 2);
    EXPECT_EQ(texture->channels, 3);
    delete texture;
}

// Every prefix and many byte-flipped copies of real files: run under the sanitizers, this
// shows that no input makes the reader step outside its buffers.
TEST(BitmapReader, CutAndCorruptedFilesStayInsideTheirBuffers) {
    for (const char* name :
         {"im-8bit-13x6.bmp", "im-4bit-11x4.bmp", "im-1bit-21x3.bmp", "im-24bit-7x5.bmp"}) {
        const Bytes file = ReadBytes(std::string(QUILLMERE_TEST_DATA) + "/image/" + name);
        ASSERT_GT(file.size(), 54u) << name;
        // growing prefixes pass from a cut header ('f') through a bogus size ('u') and cut
        // pixel data ('f') to a whole file (0), never back
        int stage = 0;
        bool sawCutPixels = false;
        for (std::size_t length = 0; length <= file.size(); ++length) {
            BitmapFile bitmap;
            const char code = Read(Bytes(file.begin(), file.begin() + length), &bitmap);
            const int rank = length < 54   ? (code == 'f' ? 0 : -1)
                             : code == 'u' ? 1
                             : code == 'f' ? 2
                             : code == 0   ? 3
                                           : -1;
            EXPECT_GE(rank, stage) << name << " cut to " << length << " gives " << int(code);
            sawCutPixels = sawCutPixels || rank == 2;
            stage = std::max(stage, rank);
            EXPECT_EQ(bitmap.data == nullptr, code == 'u' || length < 54);
        }
        EXPECT_EQ(stage, 3) << name;
        EXPECT_TRUE(sawCutPixels) << name;
        std::uint32_t seed = 12345;
        for (int round = 0; round < 3000; ++round) {
            Bytes copy = file;
            for (int flips = 0; flips < 4; ++flips) {
                seed = seed * 1664525u + 1013904223u;
                // the header's fields get most of the flips
                const std::size_t at = (seed >> 8) % (round % 2 ? copy.size() : 64);
                copy[at] ^= static_cast<unsigned char>(seed >> 24 | 1);
            }
            BitmapFile bitmap;
            const char code = Read(copy, &bitmap);
            if (bitmap.data != nullptr) {
                EXPECT_TRUE(code == 0 || code == 'f' || code == 'u');
                ASSERT_GT(bitmap.width, 0);
                ASSERT_GT(bitmap.height, 0);
                // a pixel array at most 24 times the stored bits, of at most 4 times the data
                EXPECT_LE(static_cast<std::size_t>(bitmap.width) * bitmap.height * 3,
                          copy.size() * 4 * 24);
            }
        }
    }
}

} // namespace
