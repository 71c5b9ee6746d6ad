// Frames of a large model: DrawModel through vertex arrays against the face-by-face drawing, on
// the model in $QUILLMERE_DRAW_BENCH_MODEL (scripts/bench.sh writes the editor-style export of
// model_bench there). Needs a display: scripts/bench.sh runs it under a private Xvfb. Wall
// clock per frame with glFinish, in a 400 x 400 window as the viewer's.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "model/draw_arrays.h"
#include "model/model.h"

namespace {

ObjModel* model = nullptr;

void OpenWindow(int& argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(400, 400);
    glutCreateWindow("draw bench");
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(45.0, 1.0, 1.0, 500.0);
    glMatrixMode(GL_MODELVIEW);
}

double Frame() {
    const auto start = std::chrono::steady_clock::now();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(-12.0f, 0.0f, -40.0f);
    glRotatef(30.0f, 1.0f, 0.0f, 0.0f);
    DrawModel(model);
    glutSwapBuffers();
    glFinish();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// "first_frame_s" includes building the arrays; the iterations are later frames.
void BM_Frame(benchmark::State& state) {
    largeMeshArrays = state.range(0) != 0;
    for (ObjMesh* mesh : model->meshes) {
        mesh->arrays.reset();
    }
    state.counters["first_frame_s"] = Frame();
    for (auto _ : state) {
        state.SetIterationTime(Frame());
    }
    state.SetLabel(largeMeshArrays ? "vertex arrays" : "face by face");
}

BENCHMARK(BM_Frame)->Arg(1)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    const char* path = std::getenv("QUILLMERE_DRAW_BENCH_MODEL");
    if (path == nullptr) {
        std::fprintf(stderr, "QUILLMERE_DRAW_BENCH_MODEL names no model\n");
        return 1;
    }
    OpenWindow(argc, argv);
    std::cout.setstate(std::ios::failbit); // the load's console account is not measured
    model = LoadModel(path, false, false);
    std::cout.clear();
    if (model == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", path);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
