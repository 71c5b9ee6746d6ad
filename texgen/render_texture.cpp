#include <iostream>
#include <utility>

#include "texgen/run_buffers.h"
#include "texgen/texgen.h"
#include "texgen/texture_files.h"

noise::utils::Color TextureGenerator::randomColor(bool useAlpha) {
    int alpha = useAlpha ? static_cast<int>(uniform(0, 256)) : 255;
    int red = static_cast<int>(uniform(0, 256));
    int green = static_cast<int>(uniform(0, 256));
    int blue = static_cast<int>(uniform(0, 256));
    return noise::utils::Color(static_cast<noise::uint8>(red), static_cast<noise::uint8>(green),
                               static_cast<noise::uint8>(blue), static_cast<noise::uint8>(alpha));
}

std::vector<noise::utils::GradientPoint> TextureGenerator::randomGradient() {
    int numColors = static_cast<int>(uniform(2.1, 25.0));
    std::cout << "numColors = " << numColors << "\n";

    // numColors - 1 weights space the points that climb to 1.0; the last point has none.
    std::vector<float> weights(numColors - 1);
    float sum = 0.0f;
    for (float& weight : weights) {
        weight = static_cast<float>(uniform(0.0, 1.0));
        sum += weight;
    }
    for (float& weight : weights) {
        // Every weight can be drawn as exactly 0; the points are then spaced evenly.
        weight = sum > 0.0f ? weight / sum : 1.0f / static_cast<float>(weights.size());
    }

    std::vector<noise::utils::GradientPoint> points;
    float pos = 0.0f;
    for (int k = 0; k < numColors; ++k) {
        double position = -1.0;
        if (k < numColors - 1) {
            pos = static_cast<float>(weights[k] * 2.0 + pos);
            position = pos - 1.0;
        }
        bool useAlpha = static_cast<int>(uniform(0.1, 1.1)) != 0;
        noise::utils::Color color = randomColor(useAlpha);

        // A zero weight repeats the previous position, which the gradient would reject.
        bool repeated = false;
        for (const noise::utils::GradientPoint& point : points) {
            repeated = repeated || point.position == position;
        }
        if (!repeated) {
            noise::utils::GradientPoint point;
            point.position = position;
            point.color = color;
            points.push_back(point);
        }
    }
    return points;
}

void TextureGenerator::renderTexture(noise::utils::NoiseMap heightMap, std::string filename) {
    renderTexture(std::move(heightMap), std::move(filename), TextureSettings());
}

void TextureGenerator::renderTexture(noise::utils::NoiseMap heightMap, std::string filename,
                                     const TextureSettings& settings) {
    noise::utils::RendererImage renderer;
    noise::utils::Image image = TakeSpareImage();
    renderer.SetSourceNoiseMap(heightMap);
    renderer.SetDestImage(image);

    std::vector<noise::utils::GradientPoint> points = randomGradient();
    renderer.ClearGradient();
    for (const noise::utils::GradientPoint& point : points) {
        renderer.AddGradientPoint(point.position, point.color);
    }

    renderer.EnableLight(true);
    // Both are drawn from [1, 5), so the contrast is always one the renderer accepts.
    renderer.SetLightContrast(uniform(1.0, 5.0));
    renderer.SetLightBrightness(uniform(1.0, 5.0));
    // A map whose edges meet (tiles, or goes round a cylinder or sphere) is lit across them too;
    // lit as a flat map, its edge cells would show a seam of their own.
    renderer.EnableWrap(settings.seamless || settings.surface != TextureSettings::Surface::Plane);
    renderer.Render();

    if (settings.texturePath.empty()) {
        noise::utils::WriterBMP writer;
        writer.SetImage(image);
        writer.SetFileName(filename);
        writer.Write();
    } else {
        WritePictureFile(image, settings.texturePath);
    }
    if (!settings.heightmapPath.empty()) {
        WriteHeightmapFile(heightMap, settings.heightmapPath);
    }
    KeepSpareBuffers(std::move(heightMap), std::move(image));
}
