// Texture loading without OpenGL for the fuzz targets (texture_stand_in.cpp).
#pragma once

// Frees the records the stand-in made and empties the texture table.
void ResetTextureStandIn();
