// Stores a NoiseMap as a Terragen terrain height-field file.
#ifndef QUILLMERE_TOOLKIT_WRITERTER_H
#define QUILLMERE_TOOLKIT_WRITERTER_H

#include <string>

#include "toolkit/noisemap.h"

namespace noise {
namespace utils {

class WriterTER {
public:
    // Point spacing 30 metres, no file name, no noise map.
    WriterTER();

    // The map is not copied; it must outlive Write.
    void SetNoiseMap(NoiseMap& sourceNoiseMap) { m_sourceNoiseMap = &sourceNoiseMap; }
    void SetFileName(const std::string& filename) { m_destFilename = filename; }
    const std::string& GetFileName() const { return m_destFilename; }
    // Metres between adjacent points. Throws noise::ExceptionInvalidParam, keeping the old
    // value, unless the spacing is above 1 and at most 32768: the header's height scale
    // floor(32768 / spacing) must fit its signed 16-bit field and must not be 0.
    void SetPointSpacing(float metres);
    float GetPointSpacing() const { return m_metersPerPoint; }

    // Writes the whole file afresh. Throws noise::ExceptionInvalidParam without a noise map,
    // noise::ExceptionOutOfMemory when the row buffer cannot be allocated and
    // noise::ExceptionUnknown when the file cannot be opened or written.
    void Write();

    // Bytes of one stored row of 16-bit elevations.
    static int RowByteCount(int width) { return 2 * width; }

private:
    std::string m_destFilename;
    float m_metersPerPoint;
    NoiseMap* m_sourceNoiseMap;
};

} // namespace utils
} // namespace noise

#endif
