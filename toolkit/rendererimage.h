// Colours a NoiseMap through a gradient into an Image, with optional light and background.
#ifndef QUILLMERE_TOOLKIT_RENDERERIMAGE_H
#define QUILLMERE_TOOLKIT_RENDERERIMAGE_H

#include "toolkit/color.h"
#include "toolkit/gradientcolor.h"
#include "toolkit/image.h"
#include "toolkit/noisemap.h"

namespace noise {
namespace utils {

class RendererImage {
public:
    // Starts with the grayscale gradient, the light off (azimuth 45, elevation 45, contrast 1,
    // brightness 1, white) and wrap off.
    RendererImage();

    void SetSourceNoiseMap(NoiseMap& sourceNoiseMap) { m_sourceNoiseMap = &sourceNoiseMap; }
    void SetDestImage(Image& destImage) { m_destImage = &destImage; }
    void SetBackgroundImage(Image& backgroundImage) { m_backgroundImage = &backgroundImage; }

    void EnableLight(bool enable = true) { m_isLightEnabled = enable; }
    void EnableWrap(bool enable = true) { m_isWrapEnabled = enable; }
    bool IsLightEnabled() const { return m_isLightEnabled; }
    bool IsWrapEnabled() const { return m_isWrapEnabled; }

    // Throws noise::ExceptionInvalidParam, keeping the old value, unless contrast > 0.
    void SetLightContrast(double contrast);
    void SetLightBrightness(double brightness);
    void SetLightAzimuth(double degrees);
    void SetLightElevation(double degrees);
    void SetLightColor(const Color& color) { m_lightColor = color; }

    double GetLightContrast() const { return m_lightContrast; }
    double GetLightBrightness() const { return m_lightBrightness; }
    double GetLightAzimuth() const { return m_lightAzimuth; }
    double GetLightElevation() const { return m_lightElevation; }
    Color GetLightColor() const { return m_lightColor; }

    void ClearGradient() { m_gradient.Clear(); }
    void AddGradientPoint(double position, const Color& color) {
        m_gradient.AddGradientPoint(position, color);
    }
    const GradientColor& GetGradient() const { return m_gradient; }
    void BuildGrayscaleGradient();
    void BuildTerrainGradient();

    // Throws noise::ExceptionInvalidParam before writing anything unless a non-empty source and
    // a destination are set, the gradient has two points or more, and a background (if any)
    // has the source's size. The destination takes the source's size.
    void Render();

private:
    // The slope-independent terms of the light, fixed for a whole render.
    struct LightFactors {
        double ix;
        double iy;
        double io;
    };
    LightFactors CurrentLightFactors();

    // The centre value does not enter: the slope alone decides the shading.
    static double LightIntensity(const LightFactors& light, double /*centre*/, double left,
                                 double right, double down, double up) {
        double intensity = light.ix * (left - right) + light.iy * (down - up) + light.io;
        return intensity < 0.0 ? 0.0 : intensity;
    }
    Color ComposeColor(const Color& source, const Color& background, double light) const;

    double m_cosAzimuth;
    double m_cosElevation;
    GradientColor m_gradient;
    bool m_isLightEnabled;
    bool m_isWrapEnabled;
    double m_lightAzimuth;
    double m_lightBrightness;
    Color m_lightColor;
    double m_lightContrast;
    double m_lightElevation;
    Image* m_backgroundImage;
    Image* m_destImage;
    NoiseMap* m_sourceNoiseMap;
    bool m_recalcLight;
    double m_sinAzimuth;
    double m_sinElevation;
};

} // namespace utils
} // namespace noise

#endif
