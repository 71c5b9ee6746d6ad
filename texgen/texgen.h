// Procedural textures: a random source over the C runtime generator, and the generator whose
// construction draws noise parameters and a colour gradient and writes one BMP texture.
#pragma once

#include <exception>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

// Draws numbers in 10000 equal steps from [low, high). It keeps no state of its own: every
// Random shares the process-wide srand/rand generator, and each construction reseeds it.
class Random {
public:
    // Seeds from the calendar clock, in whole seconds.
    Random();
    // Seeds with the given value, so that a run can be replayed.
    explicit Random(unsigned int seed);
    virtual ~Random();

    // rand() modulo the granularity: 0..9999. Virtual so that a source can be scripted.
    virtual int next();
    // ((high - low) * next()) / granularity + low, evaluated in exactly that order.
    double uniform(double low, double high);

protected:
    int granularity;
};

// The file written for texture number index: "./Data/example<index>.bmp", or the same name in
// the folder given to SetTextureFolder.
std::string TextureFileName(int index);
// folder ends in '/'. A viewer started on a model of its own may have no ./Data/ to write into.
void SetTextureFolder(const std::string& folder);

// The texture file's full name instead of TextureFileName(0) (an empty path goes back to it):
// for a viewer told to write its texture elsewhere, so that it shows and keeps that file.
void SetTextureFile(const std::string& path);

// What a run can be asked for beyond the default: 512 x 512 plane noise, lit without wrapping,
// written in place as TextureFileName(0). The default settings make exactly the default run,
// byte for byte; no setting changes which numbers are drawn or in which order.
struct TextureSettings {
    // Where the noise is sampled. A cylinder or sphere map wraps around left to right (and a
    // sphere's rows run from pole to pole), so a texture laid around a model has no seam.
    enum class Surface { Plane, Cylinder, Sphere };

    static constexpr int minSize = 16;
    static constexpr int maxSize = 8192;

    int size = 512; // width and height, minSize..maxSize
    // The plane's samples are blended so that the picture, colours and lighting alike, tiles
    // left to right and top to bottom.
    bool seamless = false;
    Surface surface = Surface::Plane;
    // The cylinder's height range, in units of its radius (angles always span -180..180).
    double lowerHeight = -1.0;
    double upperHeight = 1.0;
    // Empty: TextureFileName(index), rewritten in place. Otherwise this file, a 24-bit BMP or,
    // when it ends in ".png", an 8-bit RGB PNG; it appears complete or not at all.
    std::string texturePath;
    // Empty: none. Otherwise the run's noise map, as a 16-bit greyscale PNG (".png") or a
    // Terragen file (".ter"), also complete or not at all.
    std::string heightmapPath;
};

// The line that reports a texture run stopped by failure (an exception caught by the caller),
// naming its cause: the file could not be written, memory ran out, a parameter was refused.
std::string TextureRunFailureMessage(std::exception_ptr failure);

// Constructing one performs a complete texture run: it prints its progress lines to standard
// output and writes TextureFileName(0), a 512 x 512 24-bit BMP file. Exceptions of the noise
// library (noise::Exception and derived classes, e.g. noise::ExceptionUnknown when the file
// cannot be created) leave the constructor; the caller decides what to do with them. Sampling
// and rendering spread their rows over the cores (OMP_NUM_THREADS sets how many threads); the
// file is the same byte for byte whatever their number.
class TextureGenerator : public Random {
public:
    // Seeds from the clock; this is what the program uses.
    TextureGenerator();
    // Seeds with the given value, so that a run can be replayed byte for byte.
    explicit TextureGenerator(unsigned int seed);
    // Seeds with the given value and makes the texture these settings ask for.
    TextureGenerator(unsigned int seed, const TextureSettings& settings);

    // Draws octave count, frequency and persistence (in that order), prints them and samples
    // Perlin noise over bounds = {lower x, upper x, lower z, upper z} into a width x height map.
    noise::utils::NoiseMap generateHeightMap(int width, int height, const float bounds[4]);
    // The same draws and lines; the noise is sampled as the settings say (size, seamless plane,
    // or the whole cylinder or sphere, where bounds only shift the noise).
    noise::utils::NoiseMap generateHeightMap(const TextureSettings& settings,
                                             const float bounds[4]);

    // Colours heightMap through randomGradient(), lights it with a drawn contrast and
    // brightness and writes it as a BMP file named filename.
    void renderTexture(noise::utils::NoiseMap heightMap, std::string filename);
    // The same draws and line; the lighting wraps around the edges of a seamless, cylinder or
    // sphere map, and the files are those the settings name.
    void renderTexture(noise::utils::NoiseMap heightMap, std::string filename,
                       const TextureSettings& settings);

    // Draws the number of colours (and prints it), the spacing weights and one colour per
    // point. Points span [-1, 1]: the first numColors - 1 climb to 1.0 and the last sits at
    // -1.0. A point whose position repeats an earlier one is left out, but its colour is still
    // drawn, so the sequence of draws never depends on the values drawn for the weights.
    std::vector<noise::utils::GradientPoint> randomGradient();

    // One colour with channels 0..255; alpha is drawn first when useAlpha, else it is 255.
    noise::utils::Color randomColor(bool useAlpha);

protected:
    struct Deferred {};
    // Seeds the source but makes no texture: for subclasses that supply their own next() and
    // call createTextures() once they are fully constructed.
    TextureGenerator(unsigned int seed, Deferred);

    // The run itself: the "Creating" line, then per texture its bounds, noise map and file.
    void createTextures();
    void createTextures(const TextureSettings& settings);
};
