#include "app/viewer.h"

// The texture run and the model load are wired in as their modules land.
void RunTextureGeneration() {}

void LoadScene(bool keepMaterials) { (void)keepMaterials; }
