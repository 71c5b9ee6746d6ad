// The noise-map toolkit: colours and gradients, noise map and image grids, noise map builders,
// image and normal-map renderers, BMP and terrain file writers. Failures are reported by
// throwing the noise library's exceptions (noise::ExceptionInvalidParam,
// noise::ExceptionOutOfMemory, noise::ExceptionUnknown).
#ifndef QUILLMERE_TOOLKIT_TOOLKIT_H
#define QUILLMERE_TOOLKIT_TOOLKIT_H

#include <libnoise/exception.h>

#include "toolkit/color.h"
#include "toolkit/gradientcolor.h"
#include "toolkit/image.h"
#include "toolkit/interpolation.h"
#include "toolkit/noisemap.h"
#include "toolkit/noisemapbuilder.h"
#include "toolkit/rendererimage.h"
#include "toolkit/renderernormalmap.h"
#include "toolkit/writerbmp.h"
#include "toolkit/writerter.h"

#endif
