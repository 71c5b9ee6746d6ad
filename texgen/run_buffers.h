// Private to the texture run: the map and image of one run are kept for the next run on the
// same thread. Fresh 1 MiB buffers are paid for with a page fault per 4 KiB on first touch,
// about a tenth of a run's time; a kept buffer is only resized.
#pragma once

#include "toolkit/toolkit.h"

// The kept map (or an empty one), handed over; the next call gives an empty map until Keep.
noise::utils::NoiseMap TakeSpareNoiseMap();
noise::utils::Image TakeSpareImage();
// Keeps the buffers for the next run; cells and size are overwritten before they are read.
void KeepSpareBuffers(noise::utils::NoiseMap&& map, noise::utils::Image&& image);
