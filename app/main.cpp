// Quillmere: a procedural texture on a spinning OBJ model.
#include <GL/freeglut.h>

#include "app/seed.h"
#include "app/viewer.h"

int main(int argc, char** argv) {
    InstallSignalHandlers();
    glutInit(&argc, argv);
    // Leaving the loop (a signal, the window closed) comes back here, so output gets flushed.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(400, 400);
    glutCreateWindow("Quillmere");
    RegisterCallbacks();
    InitRenderState();

    // The texture file is complete before the model and its materials are read.
    std::unique_ptr<TextureGenerator> startupTexture = RunTextureGeneration(NextTextureSeed());
    LoadScene(true);
    homeCamera = camera;

    glutMainLoop();
    FlushOutput();
    return 0;
}
