// Pictures that the user asks to keep: a screenshot of the window and a copy of the texture.
#include "app/viewer.h"
#include "common/diagnostics.h"

#include <GL/freeglut.h>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

// Private to this file, so that another module's copy of the writer cannot clash with it.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace fs = std::filesystem;

std::string SaveScreenshot() {
    int width = glutGet(GLUT_WINDOW_WIDTH);
    int height = glutGet(GLUT_WINDOW_HEIGHT);
    if (width <= 0 || height <= 0)
        return "";
    std::string name;
    for (int n = 1; name.empty() || fs::exists(name); ++n)
        name = "screenshot-" + std::to_string(n) + ".png";

    // The front buffer may be covered or stale; a fresh frame in the back buffer is not.
    DrawScene();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    // OpenGL's rows run bottom to top, PNG's top to bottom.
    stbi_flip_vertically_on_write(1);
    if (!stbi_write_png(name.c_str(), width, height, 3, pixels.data(), width * 3)) {
        Report(Level::error, "cannot write the screenshot \"" + name + "\"");
        return "";
    }
    return name;
}

std::string KeepTexture() {
    fs::path texture = TextureFileName(0);
    if (textureSeed == 0) {
        Report(Level::error, "no texture has been made to keep");
        return "";
    }
    fs::path kept = texture.parent_path() /
                    ("texture-" + std::to_string(textureSeed) + texture.extension().string());
    std::error_code error;
    fs::copy_file(texture, kept, fs::copy_options::overwrite_existing, error);
    if (error) {
        Report(Level::error, "cannot copy \"" + texture.string() + "\" to \"" + kept.string() +
                                 "\": " + error.message());
        return "";
    }
    return kept.string();
}
