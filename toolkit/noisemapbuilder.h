// Builders that fill a NoiseMap by sampling a noise module over a plane, cylinder or sphere.
#ifndef QUILLMERE_TOOLKIT_NOISEMAPBUILDER_H
#define QUILLMERE_TOOLKIT_NOISEMAPBUILDER_H

#include <libnoise/module/modulebase.h>

#include "toolkit/noisemap.h"

namespace noise {
namespace utils {

// Called with the index of each row once it is complete, in row order, on the thread that
// called Build.
typedef void (*NoiseMapCallback)(int row);

// Shared configuration of the builders. The setters only store; Build checks everything and
// throws noise::ExceptionInvalidParam for bounds that are not strictly increasing, a size
// below 1, or a missing module or map, before touching the map.
class NoiseMapBuilder {
public:
    NoiseMapBuilder();

    void SetCallback(NoiseMapCallback callback) { m_callback = callback; }
    void SetSourceModule(const noise::module::Module& sourceModule) {
        m_sourceModule = &sourceModule;
    }
    void SetDestNoiseMap(NoiseMap& destNoiseMap) { m_destNoiseMap = &destNoiseMap; }
    void SetDestSize(int width, int height) {
        m_destWidth = width;
        m_destHeight = height;
    }

    int GetDestWidth() const { return m_destWidth; }
    int GetDestHeight() const { return m_destHeight; }

    // Build fills rows on every core (OMP_NUM_THREADS sets how many) when the source may be
    // sampled from several threads at once: when the caller says so here, or when every module
    // of the source graph is one of the noise library's modules that keep no state (the Cache
    // module keeps some). Otherwise, for instance for a module of the caller's own type, rows
    // are filled on the calling thread alone. The map and the callbacks are the same either way.
    void SetSourceThreadSafe(bool isThreadSafe = true) { m_isSourceThreadSafe = isThreadSafe; }
    bool IsSourceThreadSafe() const { return m_isSourceThreadSafe; }

    virtual void Build() = 0;

protected:
    // Builders are never deleted through this base, so it needs no virtual destructor.
    ~NoiseMapBuilder() = default;

    // Common part of Build's validation: size and the two references.
    bool HasValidTargets() const;
    // Whether this build may sample the source from several threads; needs a source.
    bool CanSampleInParallel() const;

    NoiseMapCallback m_callback;
    int m_destHeight;
    int m_destWidth;
    NoiseMap* m_destNoiseMap;
    const noise::module::Module* m_sourceModule;
    bool m_isSourceThreadSafe;
};

class NoiseMapBuilderPlane : public NoiseMapBuilder {
public:
    NoiseMapBuilderPlane();

    // Throws noise::ExceptionInvalidParam, keeping the old bounds, unless lowerX < upperX and
    // lowerZ < upperZ.
    void SetBounds(double lowerX, double upperX, double lowerZ, double upperZ);
    // Blends each sample with the ones a full extent away so that the map tiles.
    void EnableSeamless(bool enable = true) { m_isSeamless = enable; }
    bool IsSeamlessEnabled() const { return m_isSeamless; }

    double GetLowerXBound() const { return m_lowerX; }
    double GetUpperXBound() const { return m_upperX; }
    double GetLowerZBound() const { return m_lowerZ; }
    double GetUpperZBound() const { return m_upperZ; }

    void Build() override;

private:
    bool m_isSeamless;
    double m_lowerX;
    double m_lowerZ;
    double m_upperX;
    double m_upperZ;
};

class NoiseMapBuilderCylinder : public NoiseMapBuilder {
public:
    NoiseMapBuilderCylinder();

    // Stores the bounds as given; Build rejects them unless they are strictly increasing.
    void SetBounds(double lowerAngle, double upperAngle, double lowerHeight, double upperHeight);

    double GetLowerAngleBound() const { return m_lowerAngle; }
    double GetUpperAngleBound() const { return m_upperAngle; }
    double GetLowerHeightBound() const { return m_lowerHeight; }
    double GetUpperHeightBound() const { return m_upperHeight; }

    void Build() override;

private:
    double m_lowerAngle;
    double m_lowerHeight;
    double m_upperAngle;
    double m_upperHeight;
};

class NoiseMapBuilderSphere : public NoiseMapBuilder {
public:
    NoiseMapBuilderSphere();

    // Stores the bounds as given; Build rejects them unless they are strictly increasing.
    // Rows run from south to north, columns from west to east.
    void SetBounds(double southLat, double northLat, double westLon, double eastLon);

    double GetSouthLatBound() const { return m_southLat; }
    double GetNorthLatBound() const { return m_northLat; }
    double GetWestLonBound() const { return m_westLon; }
    double GetEastLonBound() const { return m_eastLon; }

    void Build() override;

private:
    double m_eastLon;
    double m_northLat;
    double m_southLat;
    double m_westLon;
};

} // namespace utils
} // namespace noise

#endif
