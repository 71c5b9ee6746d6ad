// heightmap SEED OUT: a 256 x 256 Perlin terrain from the given seed, written as a Terragen
// terrain (OUT ending in .ter) or as a shaded 24-bit BMP picture (OUT ending in .bmp).
#include <cstdlib>
#include <iostream>
#include <libnoise/noise.h>
#include <string>
#include <toolkit/toolkit.h>

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string out = argc == 3 ? argv[2] : "";
    if (!EndsWith(out, ".ter") && !EndsWith(out, ".bmp")) {
        std::cerr << "usage: heightmap SEED OUT.ter|OUT.bmp\n";
        return 2;
    }
    noise::module::Perlin perlin;
    perlin.SetSeed(std::atoi(argv[1]));
    perlin.SetOctaveCount(6);

    noise::utils::NoiseMap heightMap;
    noise::utils::NoiseMapBuilderPlane builder;
    builder.SetSourceModule(perlin);
    builder.SetDestNoiseMap(heightMap);
    builder.SetDestSize(256, 256);
    builder.SetBounds(2.0, 6.0, 1.0, 5.0);
    try {
        builder.Build();
        if (EndsWith(out, ".ter")) {
            noise::utils::WriterTER writer;
            writer.SetNoiseMap(heightMap);
            writer.SetFileName(out);
            writer.Write();
        } else {
            noise::utils::Image image;
            noise::utils::RendererImage renderer;
            renderer.SetSourceNoiseMap(heightMap);
            renderer.SetDestImage(image);
            renderer.BuildTerrainGradient();
            renderer.EnableLight();
            renderer.Render();
            noise::utils::WriterBMP writer;
            writer.SetImage(image);
            writer.SetFileName(out);
            writer.Write();
        }
    } catch (const noise::Exception&) {
        std::cerr << "heightmap: cannot write \"" << out << "\"\n";
        return 1;
    }
    std::cout << out << "\n";
    return 0;
}
