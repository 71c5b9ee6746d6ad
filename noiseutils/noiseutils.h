// The noise-map toolkit: colours and gradients, noise map and image grids, noise map builders,
// image and normal-map renderers, BMP and terrain file writers. Failures are reported by
// throwing the noise library's exceptions (noise::ExceptionInvalidParam,
// noise::ExceptionOutOfMemory, noise::ExceptionUnknown).
#ifndef QUILLMERE_NOISEUTILS_NOISEUTILS_H
#define QUILLMERE_NOISEUTILS_NOISEUTILS_H

#include <libnoise/exception.h>

#include "noiseutils/color.h"
#include "noiseutils/gradientcolor.h"
#include "noiseutils/image.h"
#include "noiseutils/interpolation.h"
#include "noiseutils/noisemap.h"
#include "noiseutils/noisemapbuilder.h"
#include "noiseutils/rendererimage.h"
#include "noiseutils/renderernormalmap.h"
#include "noiseutils/writerbmp.h"
#include "noiseutils/writerter.h"

#endif
