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

    RunTextureGeneration();
    LoadScene(true);

    glutMainLoop();
    return 0;
}
