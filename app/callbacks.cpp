#include "app/viewer.h"
#include "common/diagnostics.h"

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

// How often a paused viewer, which otherwise sleeps until an event, looks for a quit request.
constexpr unsigned int quitPollMilliseconds = 100;
bool quitPollArmed = false;

void LeaveOnQuitRequest() {
    FlushOutput();
    glutLeaveMainLoop();
}

void PollQuitRequest(int) {
    quitPollArmed = false;
    if (QuitRequested()) {
        LeaveOnQuitRequest();
        return;
    }
    if (spinPaused) {
        quitPollArmed = true;
        glutTimerFunc(quitPollMilliseconds, PollQuitRequest, 0);
    }
}

// A paused viewer draws only when something changes: no idle callback, and each change asks
// for one frame. While the spin runs, the display is the idle callback as always.
void FollowSpin() {
    if (spinPaused) {
        glutIdleFunc(nullptr);
        if (!quitPollArmed) {
            quitPollArmed = true;
            glutTimerFunc(quitPollMilliseconds, PollQuitRequest, 0);
        }
    } else {
        glutIdleFunc(display);
    }
    glutPostRedisplay();
}

// Input that changes the picture while nothing else redraws it.
void RedrawWhilePaused() {
    if (spinPaused)
        glutPostRedisplay();
}

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
    // A framed model turns about the centre of its box, its up axis turned to the screen's up.
    if (camera.framed) {
        const AxisTurn turn = UpAxisTurn(camera.up);
        if (turn.degrees != 0.0f)
            glRotatef(turn.degrees, turn.x, turn.y, turn.z);
        glTranslatef(-camera.centerX, -camera.centerY, -camera.centerZ);
    }
    if (currentModel != nullptr)
        DrawCurrentModel();
    glPopMatrix();
}

void display() {
    // A signal's handler only raised the flag: leaving from here, between frames, is safe.
    if (QuitRequested()) {
        LeaveOnQuitRequest();
        return;
    }
    DrawScene();
    if (!spinPaused)
        SpinCamera(camera);
    glFlush();
    glutSwapBuffers();
    pacer.Wait();
    if (!spinPaused)
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
    RedrawWhilePaused(); // a wheel notch moves the model
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
            Report(Level::info, "screenshot saved as " + name);
        break;
    }
    case 'k': {
        std::string name = KeepTexture();
        if (!name.empty())
            Report(Level::info, "texture kept as " + name);
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
        FollowSpin();
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
    RedrawWhilePaused();
}

void RegisterCallbacks() {
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutIdleFunc(display);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutKeyboardFunc(keyboard);
}
