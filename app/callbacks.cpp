#include "app/viewer.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cstdlib>

#include "model/model.h"

Camera camera;
ObjModel* currentModel = nullptr;

void display() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(camera.panX, camera.panY, camera.cameraZ);
    glRotatef(camera.rotationX, 1.0f, 0.0f, 0.0f);
    glRotatef(camera.rotationY, 0.0f, 1.0f, 0.0f);
    SpinCamera(camera);
    if (currentModel != nullptr)
        DrawModel(currentModel);
    glPopMatrix();
    glFlush();
    glutSwapBuffers();
    glutPostRedisplay();
}

void reshape(int width, int height) {
    height = ReshapeCamera(camera, width, height);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(camera.fieldOfView, camera.aspectRatio, 0.1, 2000.0);
    glMatrixMode(GL_MODELVIEW);
}

void mouse(int button, int state, int x, int y) {
    PressCamera(camera, button, state, x, y);
}

void motion(int x, int y) {
    DragCamera(camera, x, y);
    glutPostRedisplay();
}

void keyboard(unsigned char key, int, int) {
    switch (key) {
    case 27:
        std::exit(0);
    case ' ': {
        std::unique_ptr<TextureGenerator> generator = RunTextureGeneration();
        LoadScene(false);
        break;
    }
    default:
        break;
    }
}

void RegisterCallbacks() {
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutIdleFunc(display);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutKeyboardFunc(keyboard);
}
