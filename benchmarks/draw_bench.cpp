// Frames of a large model: DrawModel through vertex arrays against the face-by-face drawing, on
// the model in $QUILLMERE_DRAW_BENCH_MODEL (scripts/bench.sh writes the editor-style export of
// model_bench there). Needs a display: scripts/bench.sh runs it under a private Xvfb. A frame is
// timed to glFinish in a 400 x 400 window as the viewer's, in processor time of the whole
// process (Mesa's software renderer draws on threads of its own; on a shared machine the wall
// clock mostly measures the neighbours), with the wall clock beside it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "app/viewer.h"
#include "benchmarks/bench_support.h"
#include "model/draw_arrays.h"
#include "model/model.h"

namespace {

ObjModel* model = nullptr;

// The viewer's window and render state, with the model framed as a model named on its command
// line is; a frame is the viewer's own display callback.
void OpenWindow(int& argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(400, 400);
    glutCreateWindow("draw bench");
    InitRenderState();
    reshape(400, 400);
}

double wallSeconds = 0.0; // of the last frame

// Processor seconds of one frame.
double Frame() {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    display();
    glFinish();
    wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return CpuSeconds() - cpuStart;
}

// "first_frame_s" includes building the arrays; the iterations are later frames.
void BM_Frame(benchmark::State& state) {
    largeMeshArrays = state.range(0) != 0;
    for (ObjMesh* mesh : model->meshes) {
        mesh->arrays.reset();
    }
    state.counters["first_frame_s"] = Frame();
    double wall = 0.0;
    for (auto _ : state) {
        state.SetIterationTime(Frame());
        wall += wallSeconds;
    }
    state.counters["wall_ms"] = 1e3 * wall / static_cast<double>(state.iterations());
    state.SetLabel(largeMeshArrays ? "vertex arrays" : "face by face");
}

BENCHMARK(BM_Frame)->Arg(1)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

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
    currentModel = model;
    float low[3];
    float high[3];
    if (ModelBounds(model, low, high)) {
        FrameCamera(camera, low, high);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
