#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "test_support.h"
#include "toolkit/toolkit.h"

using noise::utils::Color;
using noise::utils::Image;
using noise::utils::WriterBMP;
using quillmere_test::ReadBytes;
using quillmere_test::ReadU16;
using quillmere_test::ReadU32;

namespace {

Color PatternColor(int x, int y) {
    return Color(static_cast<noise::uint8>(40 * x + 7), static_cast<noise::uint8>(50 * y + 3),
                 static_cast<noise::uint8>(x * 13 + y * 29 + 100),
                 static_cast<noise::uint8>(x * 61 + y));
}

Image PatternImage(int width, int height) {
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.SetValue(x, y, PatternColor(x, y));
        }
    }
    return image;
}

std::vector<unsigned char> WriteAndRead(Image& image, const std::string& path) {
    WriterBMP writer;
    writer.SetImage(image);
    writer.SetFileName(path);
    writer.Write();
    return ReadBytes(path);
}

void ExpectHeader(const std::vector<unsigned char>& bytes, int width, int height, int rowBytes) {
    const unsigned long dataSize = static_cast<unsigned long>(rowBytes) * height;
    ASSERT_EQ(bytes.size(), dataSize + 54);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(ReadU32(bytes, 2), dataSize + 54);
    EXPECT_EQ(ReadU32(bytes, 6), 0u);
    EXPECT_EQ(ReadU32(bytes, 10), 54u);
    EXPECT_EQ(ReadU32(bytes, 14), 40u);
    EXPECT_EQ(ReadU32(bytes, 18), static_cast<unsigned long>(width));
    EXPECT_EQ(ReadU32(bytes, 22), static_cast<unsigned long>(height));
    EXPECT_EQ(ReadU16(bytes, 26), 1u);
    EXPECT_EQ(ReadU16(bytes, 28), 24u);
    EXPECT_EQ(ReadU32(bytes, 30), 0u);
    EXPECT_EQ(ReadU32(bytes, 34), dataSize);
    EXPECT_EQ(ReadU32(bytes, 38), 2834u);
    EXPECT_EQ(ReadU32(bytes, 42), 2834u);
    EXPECT_EQ(ReadU32(bytes, 46), 0u);
    EXPECT_EQ(ReadU32(bytes, 50), 0u);
}

// Row y of the image is stored y-th, each pixel as blue, green, red, the row padded with zeros.
void ExpectPixels(const std::vector<unsigned char>& bytes, const Image& image, int rowBytes) {
    for (int y = 0; y < image.GetHeight(); ++y) {
        const std::size_t rowStart = 54 + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < image.GetWidth(); ++x) {
            const Color color = image.GetValue(x, y);
            EXPECT_EQ(bytes[rowStart + 3 * x], color.blue) << x << ", " << y;
            EXPECT_EQ(bytes[rowStart + 3 * x + 1], color.green) << x << ", " << y;
            EXPECT_EQ(bytes[rowStart + 3 * x + 2], color.red) << x << ", " << y;
        }
        for (int pad = 3 * image.GetWidth(); pad < rowBytes; ++pad) {
            EXPECT_EQ(bytes[rowStart + pad], 0) << "padding of row " << y;
        }
    }
}

// A python3 that can import Pillow, or an empty string.
std::string PillowPython() {
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
        if (quillmere_test::CommandSucceeds(std::string(candidate) + " -c 'import PIL.Image'")) {
            return candidate;
        }
    }
    return "";
}

class WriterBMPTest : public ::testing::Test {
protected:
    quillmere_test::ScratchDir m_dir;
};

TEST_F(WriterBMPTest, RowByteCountRoundsUpToFourBytes) {
    EXPECT_EQ(WriterBMP::RowByteCount(0), 0);
    EXPECT_EQ(WriterBMP::RowByteCount(1), 4);
    EXPECT_EQ(WriterBMP::RowByteCount(2), 8);
    EXPECT_EQ(WriterBMP::RowByteCount(3), 12);
    EXPECT_EQ(WriterBMP::RowByteCount(4), 12);
    EXPECT_EQ(WriterBMP::RowByteCount(5), 16);
}

TEST_F(WriterBMPTest, SingleRedPixelGivesTheFullFile) {
    Image image(1, 1);
    image.SetValue(0, 0, Color(255, 0, 0, 255));
    const auto bytes = WriteAndRead(image, m_dir.File("red.bmp"));
    const std::vector<unsigned char> expected = {
        'B',  'M',  58,   0,   0,    0,    0, 0, 0,    0,    54, 0, 0, 0, // file header
        40,   0,    0,    0,   1,    0,    0, 0, 1,    0,    0,  0, 1, 0,
        24,   0,    0,    0,   0,    0, // info header
        4,    0,    0,    0,   0x12, 0x0b, 0, 0, 0x12, 0x0b, 0,  0, 0, 0,
        0,    0,    0,    0,   0,    0, //
        0x00, 0x00, 0xff, 0x00};        // blue green red pad
    EXPECT_EQ(bytes, expected);
}

TEST_F(WriterBMPTest, RowsArePaddedAndStoredBottomUp) {
    // Rows are written many at a time in buffers of about 64 KiB: 100 rows of 900 bytes fill
    // one and part of the next, and a row of 66000 bytes does not fit one. An empty image is
    // the header alone. The pattern's alpha varies, and must not reach the file.
    const struct {
        int width;
        int height;
        int rowBytes;
    } cases[] = {{0, 0, 0}, {1, 3, 4}, {4, 3, 12}, {5, 3, 16}, {300, 100, 900}, {22000, 2, 66000}};
    for (const auto& c : cases) {
        Image image = PatternImage(c.width, c.height);
        const std::string path = m_dir.File("pattern" + std::to_string(c.width) + ".bmp");
        const auto bytes = WriteAndRead(image, path);
        SCOPED_TRACE("width " + std::to_string(c.width));
        ExpectHeader(bytes, c.width, c.height, c.rowBytes);
        ExpectPixels(bytes, image, c.rowBytes);
    }
}

TEST_F(WriterBMPTest, AlphaNeverReachesTheFile) {
    Image opaque(3, 2);
    opaque.Clear(Color(10, 20, 30, 255));
    Image clear(3, 2);
    clear.Clear(Color(10, 20, 30, 0));
    EXPECT_EQ(WriteAndRead(opaque, m_dir.File("a.bmp")), WriteAndRead(clear, m_dir.File("b.bmp")));
}

TEST_F(WriterBMPTest, EmptyImageGivesHeaderOnly) {
    Image image;
    const auto bytes = WriteAndRead(image, m_dir.File("empty.bmp"));
    ExpectHeader(bytes, 0, 0, 0);
}

TEST_F(WriterBMPTest, SecondWriteTruncatesTheFirst) {
    const std::string path = m_dir.File("twice.bmp");
    Image large = PatternImage(9, 9);
    Image small = PatternImage(2, 1);
    WriteAndRead(large, path);
    const auto bytes = WriteAndRead(small, path);
    ExpectHeader(bytes, 2, 1, 8);
    ExpectPixels(bytes, small, 8);
}

TEST_F(WriterBMPTest, FailuresThrowAndLeaveNoFile) {
    Image image = PatternImage(2, 2);
    quillmere_test::ExpectWriterFailuresThrow<WriterBMP>(
        m_dir, ".bmp", [&](WriterBMP& writer) { writer.SetImage(image); }, 54u + 16u);
}

TEST_F(WriterBMPTest, FullDeviceIsReportedNotIgnored) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this machine";
    }
    Image image = PatternImage(64, 64);
    WriterBMP writer;
    writer.SetImage(image);
    writer.SetFileName("/dev/full");
    EXPECT_THROW(writer.Write(), noise::ExceptionUnknown);
}

TEST_F(WriterBMPTest, FailedRewriteKeepsOnlyTheNewBytesWritten) {
    // A file is rewritten in place; when a write fails part way (here at a size limit), what
    // follows must not be the old file's tail passing for the rest of the new one.
    const std::string path = m_dir.File("limited.bmp");
    Image old = PatternImage(64, 64);
    WriteAndRead(old, path);
    Image image(64, 64);
    image.Clear(Color(1, 2, 3, 255));

    const rlim_t limitBytes = 4096;
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = limitBytes;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    // Passing the limit raises SIGXFSZ, which would end the test.
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    WriterBMP writer;
    writer.SetImage(image);
    writer.SetFileName(path);
    EXPECT_THROW(writer.Write(), noise::ExceptionUnknown);
    std::signal(SIGXFSZ, previous);
    setrlimit(RLIMIT_FSIZE, &saved);

    const auto bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), limitBytes);
    EXPECT_EQ(ReadU32(bytes, 2), 54u + 64u * 192u);
    for (std::size_t i = 54; i < bytes.size(); i += 3) {
        ASSERT_EQ(bytes[i], 3) << "byte " << i;
    }
}

TEST_F(WriterBMPTest, PillowReadsExactlyThePixelsWritten) {
    const std::string python = PillowPython();
    if (python.empty()) {
        GTEST_SKIP() << "Python with Pillow is not installed";
    }
    for (int width : {1, 4, 5, 7}) {
        Image image = PatternImage(width, 3);
        const std::string path = m_dir.File("pillow" + std::to_string(width) + ".bmp");
        WriteAndRead(image, path);
        int status = 0;
        const std::string output = quillmere_test::RunCommand(
            python +
                " -c 'import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                "print(im.format, im.mode, im.size[0], im.size[1]); "
                "print(im.tobytes().hex())' " +
                path,
            status);
        ASSERT_EQ(status, 0) << output;
        // Pillow lists the top line first, which is the last image row.
        std::string expectedHex;
        char hex[3];
        for (int y = 2; y >= 0; --y) {
            for (int x = 0; x < width; ++x) {
                const Color color = image.GetValue(x, y);
                for (int channel : {color.red, color.green, color.blue}) {
                    std::snprintf(hex, sizeof hex, "%02x", channel);
                    expectedHex += hex;
                }
            }
        }
        EXPECT_EQ(output, "BMP RGB " + std::to_string(width) + " 3\n" + expectedHex + "\n");
    }
}

TEST_F(WriterBMPTest, ImageMagickReadsExactlyThePixelsWritten) {
    if (!quillmere_test::CommandSucceeds("command -v identify")) {
        GTEST_SKIP() << "ImageMagick is not installed";
    }
    const int width = 5;
    const int height = 4;
    Image image = PatternImage(width, height);
    const std::string path = m_dir.File("magick.bmp");
    WriteAndRead(image, path);

    // One hex triple per pixel, listed from ImageMagick's top-left corner.
    std::string format = "%m %w %h %z";
    std::string expected = "BMP3 5 4 8";
    char hex[8];
    for (int top = 0; top < height; ++top) {
        for (int x = 0; x < width; ++x) {
            format += " %[hex:p{" + std::to_string(x) + "," + std::to_string(top) + "}]";
            const Color color = image.GetValue(x, height - 1 - top);
            std::snprintf(hex, sizeof hex, "%02X%02X%02X", color.red, color.green, color.blue);
            expected += std::string(" ") + hex;
        }
    }
    int status = 0;
    const std::string output =
        quillmere_test::RunCommand("identify -format '" + format + "' '" + path + "'", status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(output, expected);
}

} // namespace
