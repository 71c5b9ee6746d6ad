#include "texgen/run_buffers.h"

#include <utility>

namespace {

struct SpareBuffers {
    noise::utils::NoiseMap map;
    noise::utils::Image image;
};

// One pair per thread, so runs on different threads never share a buffer.
SpareBuffers& Spares() {
    thread_local SpareBuffers spares;
    return spares;
}

} // namespace

noise::utils::NoiseMap TakeSpareNoiseMap() {
    return std::move(Spares().map);
}

noise::utils::Image TakeSpareImage() {
    return std::move(Spares().image);
}

void KeepSpareBuffers(noise::utils::NoiseMap&& map, noise::utils::Image&& image) {
    Spares().map = std::move(map);
    Spares().image = std::move(image);
}
