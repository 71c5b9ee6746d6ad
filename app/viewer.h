// The viewer's process-wide state and the GLUT callbacks that drive it.
#pragma once

#include <memory>

#include "app/camera.h"
#include "app/options.h"
#include "texgen/texgen.h"

struct ObjModel;

extern Camera camera;
// The view at start-up, framed when the user named a model: what resetting the view returns to.
extern Camera homeCamera;
extern ObjModel* currentModel;
// The parsed command line; modelPath empty means the data set's model.
extern ViewerOptions viewerOptions;
// Whether the generated texture is painted on every face with texture coordinates ('t').
extern bool showGeneratedTexture;

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

// One texture run, from the given seed when haveSeed, else from the clock; an exception from it
// is reported on standard error, never fatal. Returns the generator, or null when the run failed.
std::unique_ptr<TextureGenerator> RunTextureGeneration(bool haveSeed = false, unsigned seed = 0);
// Loads the model into currentModel; on a reload, frees what the previous load owned. A model
// named by the user is loaded leniently (unknown materials fall back to the default material).
void LoadScene(bool keepMaterials);
// The model that was opened: the user's, or the data set's.
std::string ScenePath();
// The texture object of the current generated texture file, loaded on first use (needs a
// current context); -1 when it cannot be made.
int GeneratedTexture();
// The box around every vertex of every mesh (non-finite coordinates skipped); false when the
// model has no such vertex.
bool ModelBounds(const ObjModel* model, float low[3], float high[3]);
