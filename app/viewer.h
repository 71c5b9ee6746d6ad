// The viewer's process-wide state and the GLUT callbacks that drive it.
#pragma once

#include <memory>

#include "app/camera.h"
#include "texgen/texgen.h"

struct ObjModel;

extern Camera camera;
extern ObjModel* currentModel;

// GLUT callbacks; display is also the idle callback.
void display();
void reshape(int width, int height);
void mouse(int button, int state, int x, int y);
void motion(int x, int y);
void keyboard(unsigned char key, int x, int y);

// Start-up: the fixed-function state and light 0 (needs a current context).
void InitRenderState();
// Registers the six callbacks in the order display, reshape, idle, mouse, motion, keyboard.
void RegisterCallbacks();

// One texture run; an exception from it is reported on standard error, never fatal.
// Returns the generator, or null when the run failed.
std::unique_ptr<TextureGenerator> RunTextureGeneration();
// Loads the model into currentModel; on a reload, frees what the previous load owned.
void LoadScene(bool keepMaterials);
