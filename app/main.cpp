// Quillmere: a procedural texture on a spinning OBJ model.
#include <GL/freeglut.h>

#include "app/viewer.h"

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(400, 400);
    glutCreateWindow("Quillmere");
    RegisterCallbacks();
    InitRenderState();

    // The texture file is complete before the model and its materials are read.
    std::unique_ptr<TextureGenerator> startupTexture = RunTextureGeneration();
    LoadScene(true);

    glutMainLoop();
    return 0;
}
