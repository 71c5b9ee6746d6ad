// The viewer's process-wide state and the GLUT callbacks that drive it.
#pragma once

#include <memory>
#include <string>

#include "app/camera.h"
#include "app/options.h"
#include "texgen/texgen.h"

struct ObjModel;

extern Camera camera;
// The view at start-up, framed when the user named a model: what resetting the view ('r')
// returns to.
extern Camera homeCamera;
extern ObjModel* currentModel;
// The parsed command line; modelPath empty means the data set's model.
extern ViewerOptions viewerOptions;
// Whether the generated texture is painted on every face with texture coordinates ('t').
extern bool showGeneratedTexture;
// The seed of the last texture run that finished.
extern unsigned int textureSeed;
// What the texture file holds: nothing made yet, the whole picture of textureSeed, or whatever a
// run that failed part-way left (possibly a cut file, which 'k' must not keep).
enum class TextureState { None, Whole, Failed };
extern TextureState textureState;
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
// After InitRenderState, for a model the user named: lights that move with the eye (a headlight
// and a fill), a grey background, no culling, both sides of every face lit with its material.
void InitNamedModelState();
// Everything between a current context and the first frame, for the window and the pictures
// alike: the render state (a named model's light and background), the start-up texture run,
// the model load and its framing. Returns the start-up texture's generator, which lives as
// long as the program.
std::unique_ptr<TextureGenerator> StartScene();
// Registers the six callbacks in the order display, reshape, idle, mouse, motion, keyboard.
void RegisterCallbacks();

// One texture run from the given seed, which is reported on standard error so that the run
// can be made again; an exception from the run is reported there too, never fatal. Returns the
// generator, or null when the run failed. Standard output is flushed after the run's lines.
std::unique_ptr<TextureGenerator> RunTextureGeneration(unsigned int seed);
// Loads the model into currentModel; on a reload, frees what the previous load owned. A model
// named by the user is loaded leniently (unknown materials fall back to the default material).
// What leaves the window empty (no file, a failed load, no faces) is said on standard error.
void LoadScene(bool keepMaterials);
// The model that was opened: the user's, or the data set's.
std::string ScenePath();
// The data set's model in a folder that ends in '/'.
std::string DataModelPath(const std::string& folder);
// Where the data set's model is read from when no model is named (./Data/ by default).
void UseDataSetFolder(const std::string& folder);
// The texture object of the current generated texture file, loaded on first use (needs a
// current context); -1 when it cannot be made.
int GeneratedTexture();
// The box around every vertex of the model LoadScene last loaded; false when it has none.
bool SceneBounds(float low[3], float high[3]);

// Draws one frame into the back buffer without advancing the spin.
void DrawScene();
// 'p': writes the window's picture as a PNG file in the working folder; returns its name, or
// an empty string when it could not be written.
std::string SaveScreenshot();
// 'k': copies the texture on show to texture-<seed>.bmp beside it; returns the new name, or an
// empty string when it could not be copied.
std::string KeepTexture();

// SIGINT and SIGTERM only raise a flag; the display loop sees it and leaves the main loop.
// SIGPIPE is ignored.
void InstallSignalHandlers();
bool QuitRequested();
// Standard output, C and C++ streams alike.
void FlushOutput();
// The box around every vertex of every mesh (non-finite coordinates skipped); false when the
// model has no such vertex.
bool ModelBounds(const ObjModel* model, float low[3], float high[3]);
// Widens the box [low, high] to take in point; the first point (found false) makes the box.
void GrowBounds(const float point[3], float low[3], float high[3], bool& found);
