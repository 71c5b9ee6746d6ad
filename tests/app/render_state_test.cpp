#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

#include "app/viewer.h"

namespace {

class RenderStateTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        int argc = 1;
        char name[] = "render_state_test";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(400, 400);
        glutCreateWindow("Quillmere");
        InitRenderState();
    }
};

void ExpectFloats(const float* actual, const float* expected, int count, GLenum parameter) {
    for (int i = 0; i < count; ++i)
        EXPECT_FLOAT_EQ(actual[i], expected[i]) << "parameter " << parameter << " component " << i;
}

void ExpectLight(GLenum parameter, const float (&expected)[4]) {
    float actual[4] = {-9, -9, -9, -9};
    glGetLightfv(GL_LIGHT0, parameter, actual);
    ExpectFloats(actual, expected, 4, parameter);
}

TEST_F(RenderStateTest, EnablesExactlyTheFiveCapabilities) {
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    for (GLenum off : {GL_TEXTURE_2D, GL_BLEND, GL_NORMALIZE, GL_LIGHT1, GL_FOG, GL_ALPHA_TEST,
                       GL_STENCIL_TEST, GL_SCISSOR_TEST, GL_POLYGON_OFFSET_FILL, GL_LINE_SMOOTH,
                       GL_RESCALE_NORMAL, GL_COLOR_LOGIC_OP})
        EXPECT_FALSE(glIsEnabled(off)) << "capability " << off;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderStateTest, LightZeroHasItsFourArrays) {
    ExpectLight(GL_AMBIENT, {0.0f, 0.1f, 0.2f, 0.0f});
    ExpectLight(GL_DIFFUSE, {0.5f, 0.5f, 0.5f, 0.0f});
    ExpectLight(GL_SPECULAR, {0.5f, 0.5f, 0.5f, 0.0f});
    // Stored in eye coordinates under an identity model-view matrix.
    ExpectLight(GL_POSITION, {100.0f, 100.0f, 0.0f, 1.0f});
}

TEST_F(RenderStateTest, ClearsToOpaqueBlack) {
    float clear[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    const float black[4] = {0, 0, 0, 1};
    ExpectFloats(clear, black, 4, GL_COLOR_CLEAR_VALUE);
}

// The viewport covers the window (a height of 0 taken as 1) and the projection is the 60 degree
// perspective of its floating-point aspect; model-view is the matrix left current.
TEST_F(RenderStateTest, ReshapeSetsViewportAndPerspective) {
    for (const auto& [width, height, usedHeight] : {std::tuple{320, 0, 1}, {400, 300, 300}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        reshape(width, height);
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[2], width);
        EXPECT_EQ(viewport[3], usedHeight);
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);

        GLfloat projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        gluPerspective(60.0, static_cast<double>(width) / usedHeight, 0.1, 2000.0);
        GLfloat expected[16];
        glGetFloatv(GL_PROJECTION_MATRIX, expected);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        ExpectFloats(projection, expected, 16, GL_PROJECTION_MATRIX);
    }
}

} // namespace
