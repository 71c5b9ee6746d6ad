// Decoding a texture file into a record without OpenGL: what reaches the user when a picture does
// not read says what happened to that file.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/diagnostics.h"
#include "image/texture.h"
#include "tests/image/bmp_builder.h"

namespace {

std::string WriteFile(const std::string& name, const Bytes& bytes) {
    const std::string path = testing::TempDir() + name;
    WriteBytes(path, bytes);
    return path;
}

TEST(TextureDecoding, AFileThatDoesNotReadIsReportedWithWhatHappened) {
    Bytes cut = MakeBmp(3, 2, 24, {}, {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 9}});
    cut.resize(60);
    Bytes notPicture(20, 'x');
    const struct {
        std::string path;
        std::string reason; // the line after the file name
    } cases[] = {
        {WriteFile("cut.bmp", cut),
         "the file ends early or cannot be read; the missing pixels are black"},
        {WriteFile("two_bits.bmp", MakeBmp(2, 2, 2, {}, {{1}, {5}})),
         "a BMP kind that is not supported (2 or 64 bits per pixel, JPEG or PNG inside, Huffman "
         "coding, or bit-field masks that are not contiguous)"},
        {WriteFile("text.tga", notPicture), "not a BMP, PNG, JPEG or TGA picture"},
        // depths the reader reads say nothing
        {WriteFile("sixteen_bits.bmp", MakeBmp(1, 1, 16, {}, {{0x1F, 0x00}})), ""},
        {WriteFile("thirty_two_bits.bmp", MakeBmp(1, 1, 32, {}, {{1, 2, 3, 0}})), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const CapturedDiagnostics reports;
        testing::internal::CaptureStdout();
        const std::unique_ptr<Texture> texture(ReadTextureImage(c.path));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "carregou bmp\n");
        ASSERT_NE(texture, nullptr);
        const std::string expected = c.reason.empty() ? ""
                                                      : "quillmere: cannot load the texture \"" +
                                                            c.path + "\": " + c.reason + "\n";
        EXPECT_EQ(reports.Text(), expected);
    }
}

} // namespace
