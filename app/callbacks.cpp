#include "app/viewer.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <cstdlib>
#include <iostream>

#include "app/frame_pacer.h"
#include "app/seed.h"
#include "app/texture_options.h"
#include "model/model.h"

Camera camera;
Camera homeCamera;
ObjModel* currentModel = nullptr;
bool spinPaused = false;
ViewerOptions viewerOptions;
bool showGeneratedTexture = false;

namespace {

// Software rendering draws far faster than anyone can watch; more frames only burn the CPU.
FramePacer pacer(60.0);

void NextRenderMode() {
    SetRenderMode(renderMode == 't' ? 'w' : renderMode == 'w' ? 's' : 't');
}

void DrawCurrentModel() {
    if (!showGeneratedTexture) {
        DrawModel(currentModel);
        return;
    }
    // Faces without texture coordinates get generated ones on a copy of the model.
    const int texture = GeneratedTexture();
    for (ObjMesh* mesh : PaintedModel(currentModel)->meshes)
        DrawMesh(mesh, true, true, texture);
}

} // namespace

void DrawScene() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(camera.panX, camera.panY, camera.cameraZ);
    glRotatef(camera.rotationX, 1.0f, 0.0f, 0.0f);
    glRotatef(camera.rotationY, 0.0f, 1.0f, 0.0f);
    // A framed model turns about the centre of its box.
    if (camera.framed)
        glTranslatef(-camera.centerX, -camera.centerY, -camera.centerZ);
    if (currentModel != nullptr)
        DrawCurrentModel();
    glPopMatrix();
}

void display() {
    // A signal's handler only raised the flag: leaving from here, between frames, is safe.
    if (QuitRequested()) {
        FlushOutput();
        glutLeaveMainLoop();
        return;
    }
    DrawScene();
    if (!spinPaused)
        SpinCamera(camera);
    glFlush();
    glutSwapBuffers();
    pacer.Wait();
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
        FlushOutput();
        std::exit(0);
    case ' ': {
        std::unique_ptr<TextureGenerator> generator = RunTextureGeneration(NextTextureSeed());
        LoadScene(false);
        break;
    }
    case 'p': {
        std::string name = SaveScreenshot();
        if (!name.empty())
            std::cerr << "screenshot saved as " << name << std::endl;
        break;
    }
    case 'k': {
        std::string name = KeepTexture();
        if (!name.empty())
            std::cerr << "texture kept as " << name << std::endl;
        break;
    }
    case 'w':
        NextRenderMode();
        break;
    case 'n':
        SetShowNormals(!showNormals);
        break;
    case 'c':
        // Exported models often mix windings; without culling every face shows.
        if (glIsEnabled(GL_CULL_FACE))
            glDisable(GL_CULL_FACE);
        else
            glEnable(GL_CULL_FACE);
        break;
    case '.':
        spinPaused = !spinPaused;
        break;
    case 'r':
        ResetCamera(camera, homeCamera);
        break;
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
