#include "app/viewer.h"

#include <GL/gl.h>

void InitRenderState() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);

    // The model-view matrix is still the identity here, so the light stays fixed relative to
    // the viewer however the model is turned later.
    GLfloat AmbientColor[] = {0.0f, 0.1f, 0.2f, 0.0f};
    GLfloat DiffuseColor[] = {0.5f, 0.5f, 0.5f, 0.0f};
    GLfloat SpecularColor[] = {0.5f, 0.5f, 0.5f, 0.0f};
    GLfloat Position[] = {100.0f, 100.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, AmbientColor);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, DiffuseColor);
    glLightfv(GL_LIGHT0, GL_SPECULAR, SpecularColor);
    glLightfv(GL_LIGHT0, GL_POSITION, Position);
    glEnable(GL_LIGHT0);
}
