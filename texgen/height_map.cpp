#include <iostream>

#include <libnoise/module/perlin.h>
#include <libnoise/module/scalepoint.h>
#include <libnoise/module/translatepoint.h>

#include "texgen/run_buffers.h"
#include "texgen/texgen.h"

namespace {

// How many times larger than the noise library's unit cylinder and sphere the sampled shape is.
const double surfaceScale = 4.0;

// Samples source over the settings' surface into heightMap, width x height cells.
void BuildSurface(const noise::module::Module& source, const TextureSettings& settings, int width,
                  int height, const float bounds[4], noise::utils::NoiseMap& heightMap) {
    switch (settings.surface) {
    case TextureSettings::Surface::Plane: {
        noise::utils::NoiseMapBuilderPlane heightMapBuilder;
        heightMapBuilder.SetSourceModule(source);
        // Perlin noise keeps no state between samples, so the rows may be sampled on every core.
        heightMapBuilder.SetSourceThreadSafe(true);
        heightMapBuilder.SetDestNoiseMap(heightMap);
        heightMapBuilder.SetDestSize(width, height);
        heightMapBuilder.SetBounds(bounds[0], bounds[1], bounds[2], bounds[3]);
        heightMapBuilder.EnableSeamless(settings.seamless);
        heightMapBuilder.Build();
        return;
    }
    case TextureSettings::Surface::Cylinder: {
        noise::utils::NoiseMapBuilderCylinder heightMapBuilder;
        heightMapBuilder.SetSourceModule(source);
        heightMapBuilder.SetSourceThreadSafe(true);
        heightMapBuilder.SetDestNoiseMap(heightMap);
        heightMapBuilder.SetDestSize(width, height);
        heightMapBuilder.SetBounds(-180.0, 180.0, settings.lowerHeight, settings.upperHeight);
        heightMapBuilder.Build();
        return;
    }
    case TextureSettings::Surface::Sphere: {
        noise::utils::NoiseMapBuilderSphere heightMapBuilder;
        heightMapBuilder.SetSourceModule(source);
        heightMapBuilder.SetSourceThreadSafe(true);
        heightMapBuilder.SetDestNoiseMap(heightMap);
        heightMapBuilder.SetDestSize(width, height);
        heightMapBuilder.SetBounds(-90.0, 90.0, -180.0, 180.0);
        heightMapBuilder.Build();
        return;
    }
    }
}

// The draws, lines and map of one noise map, whatever the surface.
noise::utils::NoiseMap GenerateNoise(Random& random, const TextureSettings& settings, int width,
                                     int height, const float bounds[4]) {
    noise::utils::NoiseMap heightMap = TakeSpareNoiseMap();
    noise::module::Perlin myModule;

    int octaveCount = static_cast<int>(random.uniform(1.0, 6.1));
    myModule.SetOctaveCount(octaveCount);
    std::cout << "Octave: " << octaveCount << "\n";

    // Narrowed to float before being both printed and set, so the line shows what is used.
    float frequency = static_cast<float>(random.uniform(1.0, 3.0));
    myModule.SetFrequency(frequency);
    std::cout << "Frequency: " << frequency << "\n";

    float persistence = static_cast<float>(random.uniform(0.0, 1.0));
    myModule.SetPersistence(persistence);
    std::cout << "Persistence: " << persistence << "\n";

    if (settings.surface == TextureSettings::Surface::Plane) {
        BuildSurface(myModule, settings, width, height, bounds, heightMap);
        return heightMap;
    }
    // A cylinder or sphere is sampled whole, at the same place every time; the drawn rectangle
    // moves the noise instead, so that every seed still gives its own pattern. The library's
    // shapes have radius 1, which would make a model's side show only a blob or two: scaled
    // up, the pattern is about as fine as a plane texture's on one face.
    noise::module::TranslatePoint moved;
    moved.SetSourceModule(0, myModule);
    moved.SetTranslation(bounds[0], bounds[2], bounds[1]);
    noise::module::ScalePoint scaled;
    scaled.SetSourceModule(0, moved);
    scaled.SetScale(surfaceScale);
    BuildSurface(scaled, settings, width, height, bounds, heightMap);
    return heightMap;
}

} // namespace

noise::utils::NoiseMap TextureGenerator::generateHeightMap(int width, int height,
                                                           const float bounds[4]) {
    return GenerateNoise(*this, TextureSettings(), width, height, bounds);
}

noise::utils::NoiseMap TextureGenerator::generateHeightMap(const TextureSettings& settings,
                                                           const float bounds[4]) {
    return GenerateNoise(*this, settings, settings.size, settings.size, bounds);
}
