#include "app/viewer.h"

#include <GL/gl.h>

#include "app/offscreen.h"
#include "app/seed.h"
#include "model/model.h"

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

void InitNamedModelState() {
    // A grey background, so that dark and black materials still read as shapes against it.
    glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    // Models from elsewhere are often open or mix their windings: every face shows, and its
    // back is lit like its front, with the front's material.
    glDisable(GL_CULL_FACE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    SetTwoSidedMaterials(true);
    // Exporters do not all write normals of unit length.
    glEnable(GL_NORMALIZE);
    // Enabling the colour material has made white the material of faces that name none; they
    // get a new material's values instead, and no colour call outside a model's own vertex
    // colours changes them again.
    glDisable(GL_COLOR_MATERIAL);
    const ObjMaterial plain;
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, plain.ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, plain.diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, plain.specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, plain.emission);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, plain.shininess);

    // White lights fixed to the eye (the model-view matrix is the identity here): a headlight
    // along the view shades whatever side is turned to the viewer, and a weaker fill from above
    // and to the left sets faces that look up (a floor, a table top) apart from the background.
    // No coloured ambient: materials keep their colours.
    GLfloat none[] = {0.0f, 0.0f, 0.0f, 1.0f};
    GLfloat headDiffuse[] = {0.85f, 0.85f, 0.85f, 1.0f};
    GLfloat headSpecular[] = {0.4f, 0.4f, 0.4f, 1.0f};
    GLfloat headDirection[] = {0.0f, 0.0f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, none);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, headDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, headSpecular);
    glLightfv(GL_LIGHT0, GL_POSITION, headDirection);
    GLfloat fillDiffuse[] = {0.35f, 0.35f, 0.35f, 1.0f};
    GLfloat fillDirection[] = {-0.5f, 1.0f, 0.5f, 0.0f};
    glLightfv(GL_LIGHT1, GL_AMBIENT, none);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, fillDiffuse);
    glLightfv(GL_LIGHT1, GL_SPECULAR, none);
    glLightfv(GL_LIGHT1, GL_POSITION, fillDirection);
    glEnable(GL_LIGHT1);
}

std::unique_ptr<TextureGenerator> StartScene() {
    const bool namedModel = !viewerOptions.modelPath.empty();
    InitRenderState();
    if (namedModel) {
        InitNamedModelState();
        camera.up = viewerOptions.up;
    }
    // The texture file is complete before the model and its materials are read.
    // --seed makes the start-up texture again; otherwise every run draws a fresh seed.
    const unsigned int seed = viewerOptions.haveSeed ? viewerOptions.seed : NextTextureSeed();
    std::unique_ptr<TextureGenerator> startupTexture = RunTextureGeneration(seed);
    LoadScene(true);
    float low[3];
    float high[3];
    if (namedModel && SceneBounds(low, high))
        FrameCamera(camera, low, high);
    homeCamera = camera;
    ApplyBackground(viewerOptions);
    return startupTexture;
}
