// A hidden-from-the-desktop GLUT window for the drawing tests (they run on a private Xvfb
// display), opened once per process so that every test shares one current context.
#pragma once

#include <GL/freeglut.h>

inline void OpenTestWindow(int width, int height) {
    static bool open = false;
    if (open)
        return;
    int argc = 1;
    char name[] = "model_draw_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(width, height);
    glutCreateWindow("model draw test");
    open = true;
}
