#include <iostream>
#include <sstream>
#include <utility>

#include "texgen/texgen.h"

namespace {
const int textureCount = 1;

std::string& TextureFolder() {
    static std::string folder = "./Data/";
    return folder;
}

std::string& TextureFile() {
    static std::string file;
    return file;
}

} // namespace

std::string TextureFileName(int index) {
    if (index == 0 && !TextureFile().empty())
        return TextureFile();
    std::ostringstream filename;
    filename << TextureFolder() << "example" << index << ".bmp";
    return filename.str();
}

void SetTextureFolder(const std::string& folder) {
    TextureFolder() = folder;
}

void SetTextureFile(const std::string& path) {
    TextureFile() = path;
}

TextureGenerator::TextureGenerator() {
    createTextures();
}

TextureGenerator::TextureGenerator(unsigned int seed) : Random(seed) {
    createTextures();
}

TextureGenerator::TextureGenerator(unsigned int seed, const TextureSettings& settings)
    : Random(seed) {
    createTextures(settings);
}

TextureGenerator::TextureGenerator(unsigned int seed, Deferred) : Random(seed) {}

void TextureGenerator::createTextures() {
    createTextures(TextureSettings());
}

void TextureGenerator::createTextures(const TextureSettings& settings) {
    std::cout << "Creating " << textureCount << " texture(s)...\n";
    for (int i = 0; i < textureCount; ++i) {
        // One draw per statement: the order lower x, upper x, lower z, upper z is what makes a
        // seed replay the same picture. Each bound is at most -0.001 or at least 0, so the
        // rectangle always has a positive extent.
        float boundOfbounds[4];
        boundOfbounds[0] = static_cast<float>(uniform(-10.0, 0.0));
        boundOfbounds[1] = static_cast<float>(uniform(0.0, 10.0));
        boundOfbounds[2] = static_cast<float>(uniform(-10.0, 0.0));
        boundOfbounds[3] = static_cast<float>(uniform(0.0, 10.0));
        float bounds[4] = {boundOfbounds[0], boundOfbounds[1], boundOfbounds[2], boundOfbounds[3]};

        noise::utils::NoiseMap heightMap = generateHeightMap(settings, bounds);
        // The map is not needed after this; handing it over saves copying 1 MiB.
        renderTexture(std::move(heightMap), TextureFileName(i), settings);
    }
}
