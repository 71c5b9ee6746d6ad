#include "app/viewer.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cstdlib>

#include "model/model.h"

Camera camera;
Camera homeCamera;
ObjModel* currentModel = nullptr;
ViewerOptions viewerOptions;
bool showGeneratedTexture = false;

namespace {

void DrawScene() {
    if (!showGeneratedTexture) {
        DrawModel(currentModel);
        return;
    }
    const int texture = GeneratedTexture();
    for (ObjMesh* mesh : currentModel->meshes)
        DrawMesh(mesh, true, true, texture);
}

} // namespace

void display() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(camera.panX, camera.panY, camera.cameraZ);
    glRotatef(camera.rotationX, 1.0f, 0.0f, 0.0f);
    glRotatef(camera.rotationY, 0.0f, 1.0f, 0.0f);
    // A framed model turns about the centre of its box.
    if (camera.framed)
        glTranslatef(-camera.centerX, -camera.centerY, -camera.centerZ);
    SpinCamera(camera);
    if (currentModel != nullptr)
        DrawScene();
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
    gluPerspective(camera.fieldOfView, camera.aspectRatio, camera.nearPlane, camera.farPlane);
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
    case 't':
        showGeneratedTexture = !showGeneratedTexture;
        break;
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
