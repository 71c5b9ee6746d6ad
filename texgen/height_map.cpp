#include <iostream>

#include <libnoise/module/perlin.h>

#include "texgen/run_buffers.h"
#include "texgen/texgen.h"

noise::utils::NoiseMap TextureGenerator::generateHeightMap(int width, int height,
                                                           const float bounds[4]) {
    noise::utils::NoiseMap heightMap = TakeSpareNoiseMap();
    noise::module::Perlin myModule;

    int octaveCount = static_cast<int>(uniform(1.0, 6.1));
    myModule.SetOctaveCount(octaveCount);
    std::cout << "Octave: " << octaveCount << "\n";

    // Narrowed to float before being both printed and set, so the line shows what is used.
    float frequency = static_cast<float>(uniform(1.0, 3.0));
    myModule.SetFrequency(frequency);
    std::cout << "Frequency: " << frequency << "\n";

    float persistence = static_cast<float>(uniform(0.0, 1.0));
    myModule.SetPersistence(persistence);
    std::cout << "Persistence: " << persistence << "\n";

    noise::utils::NoiseMapBuilderPlane heightMapBuilder;
    heightMapBuilder.SetSourceModule(myModule);
    // Perlin noise keeps no state between samples, so the rows may be sampled on every core.
    heightMapBuilder.SetSourceThreadSafe(true);
    heightMapBuilder.SetDestNoiseMap(heightMap);
    heightMapBuilder.SetDestSize(width, height);
    heightMapBuilder.SetBounds(bounds[0], bounds[1], bounds[2], bounds[3]);
    heightMapBuilder.Build();
    return heightMap;
}
