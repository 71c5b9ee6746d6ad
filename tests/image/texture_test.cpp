// Texture loading with a real OpenGL context: uploads read back, levels, filters, the console
// lines, unreadable files and the texture table.
#include "bmp_builder.h"
#include "image/image.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

class GlContext : public testing::Environment {
public:
    void SetUp() override {
        char program[] = "image_texture_test";
        char* argv[] = {program, nullptr};
        int argc = 1;
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(64, 64);
        m_window = glutCreateWindow("image_texture_test");
    }
    // closing the window and the toolkit releases the driver's memory before leak checks run
    void TearDown() override {
        glutDestroyWindow(m_window);
        glutExit();
    }

private:
    int m_window = 0;
};
testing::Environment* const glContext = testing::AddGlobalTestEnvironment(new GlContext);

GLint Parameter(GLuint id, GLenum name) {
    glBindTexture(GL_TEXTURE_2D, id);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint LevelWidth(GLuint id, int level) {
    glBindTexture(GL_TEXTURE_2D, id);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    return width;
}

// A level as RGB, or as RGBA, where an RGB texture reads back with alpha 255.
Bytes LevelPixels(GLuint id, int level, GLenum format = GL_RGB) {
    glBindTexture(GL_TEXTURE_2D, id);
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
    Bytes pixels(static_cast<std::size_t>(width) * height * (format == GL_RGBA ? 4 : 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

GLint Binding() {
    GLint id = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &id);
    return id;
}

Texture* LoadCapturingOutput(const std::string& name, bool mipmaps, std::string* output,
                             std::string* errors = nullptr) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Texture* texture = LoadTexture(name, mipmaps);
    *output = testing::internal::GetCapturedStdout();
    const std::string errorOutput = testing::internal::GetCapturedStderr();
    if (errors != nullptr) {
        *errors = errorOutput;
    }
    return texture;
}

std::string DataPath(const std::string& name) {
    return std::string(QUILLMERE_TEST_DATA) + "/image/" + name;
}

class TextureLoading : public testing::Test {
protected:
    void SetUp() override { EmptyTable(); }
    void TearDown() override { EmptyTable(); }
    static void EmptyTable() {
        for (Texture* texture : textureTable) {
            delete texture;
        }
        textureTable.clear();
    }
    std::string WriteFile(const std::string& name, const Bytes& bytes) {
        const std::string path = testing::TempDir() + name;
        WriteBytes(path, bytes);
        return path;
    }
    // 3 x 2: rows of 9 bytes, which a 4-byte unpack alignment would skew
    static Bytes ThreeByTwoBytes() {
        return MakeBmp(3, 2, 24, {},
                       {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {11, 12, 13, 14, 15, 16, 17, 18, 19}});
    }
    std::string ThreeByTwo() { return WriteFile("three_by_two.bmp", ThreeByTwoBytes()); }
    const Bytes threeByTwoRgb = {3, 2, 1, 6, 5, 4, 9, 8, 7, 13, 12, 11, 16, 15, 14, 19, 18, 17};
};

TEST_F(TextureLoading, PlainTextureIsOneUnskewedLevelWithLinearFilters) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    const std::string path = ThreeByTwo();
    std::string output;
    Texture* texture = LoadCapturingOutput(path, false, &output);
    EXPECT_EQ(output, "carregou bmp\n");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->name, path);
    EXPECT_EQ(texture->channels, 3);
    EXPECT_EQ(texture->width, 3);
    EXPECT_EQ(texture->height, 2);
    // the pixels live only in OpenGL now; the image keeps its size
    EXPECT_EQ(texture->data, nullptr);
    EXPECT_EQ(texture->image.data, nullptr);
    EXPECT_EQ(texture->image.width, 3);
    ASSERT_EQ(textureTable, std::vector<Texture*>{texture});

    EXPECT_EQ(Binding(), static_cast<GLint>(texture->id));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(LevelPixels(texture->id, 0), threeByTwoRgb);
    EXPECT_EQ(LevelWidth(texture->id, 1), 0);
    EXPECT_EQ(Parameter(texture->id, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(Parameter(texture->id, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

TEST_F(TextureLoading, MipmappedTextureHasEveryLevelAndTrilinearMinification) {
    Bytes row(12);
    for (int i = 0; i < 12; ++i) {
        row[i] = static_cast<unsigned char>(20 * i);
    }
    const std::string path =
        WriteFile("four_by_four.bmp", MakeBmp(4, 4, 24, {}, {row, row, row, row}));
    std::string output;
    Texture* texture = LoadCapturingOutput(path, true, &output);
    EXPECT_EQ(output, "carregou bmp\n");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(LevelWidth(texture->id, 0), 4);
    EXPECT_EQ(LevelWidth(texture->id, 1), 2);
    EXPECT_EQ(LevelWidth(texture->id, 2), 1);
    EXPECT_EQ(LevelPixels(texture->id, 0).size(), 48u);
    EXPECT_EQ(LevelPixels(texture->id, 0)[0], row[2]);
    EXPECT_EQ(Parameter(texture->id, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(Parameter(texture->id, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

TEST_F(TextureLoading, EmptyNameGivesNullWithoutOutputOrTextureObject) {
    GLuint before = 0;
    glGenTextures(1, &before);
    glBindTexture(GL_TEXTURE_2D, before);
    std::string output;
    EXPECT_EQ(LoadCapturingOutput("", true, &output), nullptr);
    EXPECT_EQ(output, "");
    EXPECT_TRUE(textureTable.empty());
    EXPECT_EQ(Binding(), static_cast<GLint>(before));
    // names are handed out in sequence, so a texture made in between would show as a gap
    GLuint after = 0;
    glGenTextures(1, &after);
    EXPECT_EQ(after, before + 1);
    glDeleteTextures(1, &before);
    glDeleteTextures(1, &after);
}

// Standard input holds one key while the texture loads; it must still be there afterwards.
TEST_F(TextureLoading, UnreadableFileGivesARegisteredTextureWithoutWaitingForAKey) {
    int keys[2];
    ASSERT_EQ(pipe(keys), 0);
    ASSERT_EQ(write(keys[1], "x", 1), 1);
    const int savedInput = dup(0);
    dup2(keys[0], 0);
    close(keys[0]);

    const std::string missing = testing::TempDir() + "no_such_texture.bmp";
    std::string output;
    Texture* texture = LoadCapturingOutput(missing, true, &output);

    pollfd input{0, POLLIN, 0};
    char key = 0;
    const bool keyLeft = poll(&input, 1, 0) == 1 && read(0, &key, 1) == 1 && key == 'x';
    dup2(savedInput, 0);
    close(savedInput);
    close(keys[1]);

    EXPECT_TRUE(keyLeft);
    EXPECT_EQ(output, "carregou bmp\n\xE9 null\n");
    ASSERT_NE(texture, nullptr);
    EXPECT_TRUE(glIsTexture(texture->id));
    EXPECT_EQ(texture->width, 0);
    EXPECT_EQ(Parameter(texture->id, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(textureTable, std::vector<Texture*>{texture});
}

TEST_F(TextureLoading, TableKeepsEveryRecordAndARepeatedNameIsReadAgain) {
    const std::string path = ThreeByTwo();
    std::string output;
    Texture* first = LoadCapturingOutput(path, false, &output);
    // the file changes under the same name, as the generated texture does between runs
    WriteFile("three_by_two.bmp", MakeBmp(1, 1, 24, {}, {{50, 60, 70}}));
    Texture* second = LoadCapturingOutput(path, false, &output);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first->id, second->id);
    EXPECT_EQ(textureTable, (std::vector<Texture*>{first, second}));
    EXPECT_EQ(LevelPixels(first->id, 0), threeByTwoRgb);
    EXPECT_EQ(LevelPixels(second->id, 0), (Bytes{70, 60, 50}));

    EXPECT_EQ(FindTexture(path), 0);
    EXPECT_EQ(FindTexture(path + "x"), -1);
    std::string upper = path;
    upper.back() = 'P';
    EXPECT_EQ(FindTexture(upper), -1);
}

// The installed data set names its generated texture beside the model; the file is elsewhere.
TEST_F(TextureLoading, RedirectedNameReadsTheOtherFileUntilTheRedirectEnds) {
    const std::string target = ThreeByTwo();
    const std::string named = testing::TempDir() + "installed/example0.bmp";
    const std::string other = testing::TempDir() + "installed/other.bmp";
    RedirectTextureFile(named, target);
    std::string output;
    std::string errors;
    Texture* redirected = LoadCapturingOutput(named, false, &output, &errors);
    Texture* unrelated = LoadCapturingOutput(other, false, &output);
    RedirectTextureFile(named, "");
    Texture* afterwards = LoadCapturingOutput(named, false, &output);

    ASSERT_NE(redirected, nullptr);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(redirected->name, target);
    EXPECT_EQ(LevelPixels(redirected->id, 0), threeByTwoRgb);
    ASSERT_NE(unrelated, nullptr);
    EXPECT_EQ(unrelated->width, 0);
    ASSERT_NE(afterwards, nullptr);
    EXPECT_EQ(afterwards->width, 0);
    EXPECT_EQ(afterwards->name, named);
}

TEST_F(TextureLoading, SetTextureFilters) {
    GLuint outsider = 0;
    glGenTextures(1, &outsider);
    glBindTexture(GL_TEXTURE_2D, outsider);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);
    // with an empty table only texturing is switched on and off
    SetTextureFilters(-1, GL_LINEAR, GL_LINEAR);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(Binding(), static_cast<GLint>(outsider));
    EXPECT_EQ(Parameter(outsider, GL_TEXTURE_MIN_FILTER), GL_NEAREST);

    std::string output;
    Texture* first = LoadCapturingOutput(ThreeByTwo(), false, &output);
    Texture* second = LoadCapturingOutput(ThreeByTwo(), false, &output);
    SetTextureFilters(-1, GL_NEAREST, GL_NEAREST);
    EXPECT_EQ(Binding(), static_cast<GLint>(second->id));
    for (Texture* texture : {first, second}) {
        EXPECT_EQ(Parameter(texture->id, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
        EXPECT_EQ(Parameter(texture->id, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    }

    SetTextureFilters(static_cast<int>(first->id), GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR);
    EXPECT_EQ(Binding(), static_cast<GLint>(first->id));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(Parameter(first->id, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(Parameter(first->id, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(Parameter(second->id, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    glDeleteTextures(1, &outsider);
}

struct PictureFile {
    const char* name; // its ".rgba" beside it holds Pillow's decode, top line first
    int width;
    int height;
    int channels;
    int tolerance; // JPEG decoders round differently
};

// The signature picks the decoder; rows arrive bottom line first, alpha only where the file
// has it, grey widened to RGB.
TEST_F(TextureLoading, PngJpegTgaAndBmpWithAlphaUploadAsAnotherDecoderSeesThem) {
    const PictureFile files[] = {
        {"tex-rgba-5x3.png", 5, 3, 4, 0},
        {"tex-grey-5x3.png", 5, 3, 3, 0},
        {"tex-rgb-5x3-rle.tga", 5, 3, 3, 0},
        {"tex-rgba-5x3.tga", 5, 3, 4, 0},
        {"tex-16x8.jpg", 16, 8, 3, 3},
        {"variants/im-v5-32bit-alpha.bmp", 13, 7, 4, 0},
        {"variants/im-v5-rgb565.bmp", 13, 7, 3, 1},
    };
    for (const PictureFile& file : files) {
        SCOPED_TRACE(file.name);
        std::string path = DataPath(file.name);
        std::string reference = path + ".rgba";
        if (path.substr(path.size() - 4) == ".bmp") {
            reference = path.substr(0, path.size() - 4) + ".rgba";
        }
        std::string output;
        std::string errors;
        Texture* texture = LoadCapturingOutput(path, false, &output, &errors);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(output, "carregou bmp\n");
        EXPECT_EQ(errors, "");
        EXPECT_EQ(texture->channels, file.channels);
        EXPECT_EQ(texture->width, file.width);
        EXPECT_EQ(texture->height, file.height);
        EXPECT_EQ(texture->data, nullptr);
        glBindTexture(GL_TEXTURE_2D, texture->id);
        GLint internalFormat = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internalFormat);
        // the count of components, as glTexImage2D was given it
        EXPECT_EQ(internalFormat, file.channels);
        const Bytes expected = ReadBytes(reference);
        const Bytes uploaded = LevelPixels(texture->id, 0, GL_RGBA);
        const std::size_t row = static_cast<std::size_t>(file.width) * 4;
        ASSERT_EQ(expected.size(), row * file.height);
        ASSERT_EQ(uploaded.size(), expected.size());
        int worst = 0;
        for (int y = 0; y < file.height; ++y) {
            for (std::size_t i = 0; i < row; ++i) {
                const int theirs = expected[row * (file.height - 1 - y) + i];
                worst = std::max(worst, std::abs(uploaded[row * y + i] - theirs));
            }
        }
        EXPECT_LE(worst, file.tolerance);
    }
}

TEST_F(TextureLoading, SignatureNotNameChoosesTheDecoder) {
    const std::string pngNamedBmp =
        WriteFile("really_a_png.bmp", ReadBytes(DataPath("tex-rgba-5x3.png")));
    const std::string bmpNamedPng =
        WriteFile("really_a_bmp.png", ReadBytes(DataPath("im-24bit-7x5.bmp")));
    std::string output;
    Texture* png = LoadCapturingOutput(pngNamedBmp, true, &output);
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(png->width, 5);
    EXPECT_EQ(png->channels, 4);
    EXPECT_EQ(LevelWidth(png->id, 2), 1);
    Texture* bmp = LoadCapturingOutput(bmpNamedPng, false, &output);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->width, 7);
    EXPECT_EQ(bmp->channels, 3);
}

// Standard output keeps its one line; standard error says which file and why.
TEST_F(TextureLoading, TexturesThatDoNotLoadAreNamedOnStandardError) {
    Bytes badPng = ReadBytes(DataPath("tex-rgba-5x3.png"));
    badPng.resize(40);
    Bytes cutBmp = ThreeByTwoBytes();
    cutBmp.resize(60);
    const std::size_t unchecked = SIZE_MAX;
    struct Case {
        std::string path;
        std::string reason;
        bool mipmaps;
        std::size_t blackBytes; // level 0 is this many zero bytes
    };
    const Case cases[] = {
        {testing::TempDir() + "no_such_texture.png", std::strerror(ENOENT), false, 0},
        // a depth the reader does not know keeps the header's size
        {WriteFile("two_bits.bmp", MakeBmp(2, 2, 2, {}, {{1}, {5}})),
         "a BMP kind that is not supported", true, 12},
        {WriteFile("cut.bmp", cutBmp), "the file ends early", false, unchecked},
        {WriteFile("cut.png", badPng), "", false, unchecked},
        {WriteFile("gif.tga",
                   Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
         "not a BMP, PNG, JPEG or TGA picture", false, unchecked},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string output;
        std::string errors;
        Texture* texture = LoadCapturingOutput(c.path, c.mipmaps, &output, &errors);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(output, "carregou bmp\n");
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find("\"" + c.path + "\""), std::string::npos) << errors;
        EXPECT_NE(errors.find(c.reason), std::string::npos) << errors;
        EXPECT_EQ(errors.rfind("quillmere: cannot load the texture \"", 0), 0u) << errors;
        if (c.blackBytes != unchecked) {
            EXPECT_EQ(LevelPixels(texture->id, 0), Bytes(c.blackBytes, 0));
        }
        EXPECT_TRUE(glIsTexture(texture->id));
    }
}

} // namespace
