// The viewer's process-wide state and the GLUT callbacks that drive it.
#pragma once

#include <memory>
#include <string>

#include "app/camera.h"
#include "texgen/texgen.h"

struct ObjModel;

extern Camera camera;
// The view as start-up left it (after any framing); 'r' goes back to it.
extern Camera homeCamera;
extern ObjModel* currentModel;
// The model file that start-up and Space load.
extern std::string modelPath;
// The seed of the texture on show (0 before the first run).
extern unsigned int textureSeed;
// '.' stops and restarts the spin.
extern bool spinPaused;

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

// One texture run from the given seed, which is reported on standard error so that the run
// can be made again; an exception from the run is reported there too, never fatal. Returns the
// generator, or null when the run failed. Standard output is flushed after the run's lines.
std::unique_ptr<TextureGenerator> RunTextureGeneration(unsigned int seed);
// Loads modelPath into currentModel; on a reload, frees what the previous load owned. What
// leaves the window empty (no file, a failed load, no faces) is said on standard error.
void LoadScene(bool keepMaterials);
// Fits the camera's wheel bounds to the model on show.
void MeasureModel(Camera& view, const ObjModel* model);

// Draws one frame into the back buffer without advancing the spin.
void DrawScene();
// 'p': writes the window's picture as a PNG file in the working folder; returns its name, or
// an empty string when it could not be written.
std::string SaveScreenshot();
// 'k': copies the texture on show to texture-<seed>.bmp beside it; returns the new name, or an
// empty string when it could not be copied.
std::string KeepTexture();

// SIGINT and SIGTERM only raise a flag; the display loop sees it and leaves the main loop.
void InstallSignalHandlers();
bool QuitRequested();
// Standard output, C and C++ streams alike.
void FlushOutput();
