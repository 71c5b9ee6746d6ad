// Imports in a child process: the answer's byte form, a child that crashes, hangs, fails or
// leaves without answering, and real files (whole, cut and corrupted) through the real readers.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "model/isolated_import.h"

namespace {

const std::string formats = std::string(QUILLMERE_TEST_DATA) + "/model/formats/";

// A model in which every field differs from its default.
ImportedModel FullModel() {
    ImportedModel model;
    model.format = "GLB";
    model.warnings = {"first warning", ""};
    ImportedTexture file;
    file.path = "/models/maps/wood.png";
    ImportedTexture embedded;
    embedded.path = "*0";
    embedded.embedded = true;
    embedded.bytes = {1, 2, 3, 4, 5, 6, 7, 8};
    embedded.width = 2;
    embedded.height = 1;
    model.textures = {file, embedded};
    ImportedMaterial material;
    material.values.name = "painted";
    for (int i = 0; i < 4; ++i) {
        material.values.ambient[i] = 0.1f * i;
        material.values.diffuse[i] = 0.2f * i + 0.01f;
        material.values.specular[i] = 0.3f * i + 0.02f;
        material.values.emission[i] = 0.4f * i + 0.03f;
    }
    material.values.textureId = 17;
    material.values.shininess = 96.5f;
    material.texture = 1;
    material.opacity = 0.25f;
    model.materials = {material, ImportedMaterial()};
    for (int m = 0; m < 2; ++m) {
        auto mesh = std::make_unique<ObjMesh>();
        mesh->name = m == 0 ? "first" : "";
        mesh->displayList = 1000 + m;
        mesh->vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, float(m)}, {1, 1, -2}};
        mesh->normals = {{0, 0, 1}, {0, 1, 0}};
        mesh->texCoords = {{0.5f, 0.25f, 0.125f}};
        const int quad[] = {0, 0, 1, 1, 0, 0, 2, 0, 1, 3, 0, 1};
        mesh->AddInterleavedFace(quad, 4, true, true, 0);
        const int triangle[] = {3, 2, 1};
        mesh->AddInterleavedFace(triangle, 3, false, false, defaultMaterialIndex);
        mesh->elementIndices = {3, 0, 1, 2};
        mesh->points = {{0, 1, -1}};
        mesh->lines = {{1, 3, 1}};
        if (m == 0) {
            mesh->smoothingGroups = {0, 7};
        } else {
            mesh->smoothingOff = true;
        }
        mesh->colors = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.5f, 0.5f, 0.5f}};
        model.meshes.push_back(std::move(mesh));
    }
    return model;
}

template <class T> std::vector<unsigned char> Raw(const std::vector<T>& items) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(items.data());
    return std::vector<unsigned char>(bytes, bytes + items.size() * sizeof(T));
}

void ExpectSame(const ImportedModel& a, const ImportedModel& b) {
    EXPECT_EQ(a.format, b.format);
    EXPECT_EQ(a.warnings, b.warnings);
    ASSERT_EQ(a.textures.size(), b.textures.size());
    for (std::size_t i = 0; i < a.textures.size(); ++i) {
        EXPECT_EQ(a.textures[i].path, b.textures[i].path);
        EXPECT_EQ(a.textures[i].embedded, b.textures[i].embedded);
        EXPECT_EQ(a.textures[i].bytes, b.textures[i].bytes);
        EXPECT_EQ(a.textures[i].width, b.textures[i].width);
        EXPECT_EQ(a.textures[i].height, b.textures[i].height);
    }
    ASSERT_EQ(a.materials.size(), b.materials.size());
    for (std::size_t i = 0; i < a.materials.size(); ++i) {
        const ObjMaterial& x = a.materials[i].values;
        const ObjMaterial& y = b.materials[i].values;
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(0, std::memcmp(x.ambient, y.ambient, sizeof x.ambient));
        EXPECT_EQ(0, std::memcmp(x.diffuse, y.diffuse, sizeof x.diffuse));
        EXPECT_EQ(0, std::memcmp(x.specular, y.specular, sizeof x.specular));
        EXPECT_EQ(0, std::memcmp(x.emission, y.emission, sizeof x.emission));
        EXPECT_EQ(x.textureId, y.textureId);
        EXPECT_EQ(x.shininess, y.shininess);
        EXPECT_EQ(a.materials[i].texture, b.materials[i].texture);
        EXPECT_EQ(a.materials[i].opacity, b.materials[i].opacity);
    }
    ASSERT_EQ(a.meshes.size(), b.meshes.size());
    for (std::size_t i = 0; i < a.meshes.size(); ++i) {
        const ObjMesh& x = *a.meshes[i];
        const ObjMesh& y = *b.meshes[i];
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(x.displayList, y.displayList);
        EXPECT_EQ(Raw(x.vertices), Raw(y.vertices));
        EXPECT_EQ(Raw(x.normals), Raw(y.normals));
        EXPECT_EQ(Raw(x.texCoords), Raw(y.texCoords));
        EXPECT_EQ(Raw(x.faces), Raw(y.faces));
        EXPECT_EQ(x.indices, y.indices);
        EXPECT_EQ(Raw(x.points), Raw(y.points));
        EXPECT_EQ(Raw(x.lines), Raw(y.lines));
        EXPECT_EQ(x.elementIndices, y.elementIndices);
        EXPECT_EQ(x.smoothingGroups, y.smoothingGroups);
        EXPECT_EQ(x.smoothingOff, y.smoothingOff);
        EXPECT_EQ(Raw(x.colors), Raw(y.colors));
    }
}

TEST(ImportAnswer, RoundTripKeepsEveryField) {
    const ImportedModel model = FullModel();
    const std::string bytes = SerializeImportResult(true, model, "");
    ImportedModel read;
    bool imported = false;
    std::string importError;
    std::string streamError;
    ASSERT_TRUE(DeserializeImportResult(bytes, imported, read, importError, streamError))
        << streamError;
    EXPECT_TRUE(imported);
    ExpectSame(model, read);

    // a failure carries its reason and no model
    ASSERT_TRUE(DeserializeImportResult(SerializeImportResult(false, model, "no such scene"),
                                        imported, read, importError, streamError));
    EXPECT_FALSE(imported);
    EXPECT_EQ(importError, "no such scene");

    // every cut of the answer is refused, never read past, also when its declared length is
    // made to match the cut
    constexpr std::size_t lengthAt = 6;
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        std::string part = bytes.substr(0, cut);
        for (const bool matching : {false, true}) {
            if (matching && cut >= lengthAt + 8) {
                const std::uint64_t length = cut - lengthAt - 8;
                std::memcpy(&part[lengthAt], &length, sizeof length);
            }
            std::string error;
            EXPECT_FALSE(DeserializeImportResult(part, imported, read, importError, error)) << cut;
            EXPECT_FALSE(error.empty());
        }
    }
}

// The answer of a model edited by change, read back: accepted or refused with a reason.
std::string ReadEdited(void (*change)(ImportedModel&)) {
    ImportedModel model = FullModel();
    change(model);
    ImportedModel read;
    bool imported = false;
    std::string importError;
    std::string streamError;
    const bool ok = DeserializeImportResult(SerializeImportResult(true, model, ""), imported, read,
                                            importError, streamError);
    EXPECT_EQ(ok, streamError.empty());
    return streamError;
}

TEST(ImportAnswer, NumbersThatNameNothingAreRefused) {
    const struct {
        const char* name;
        void (*change)(ImportedModel&);
        const char* reason;
    } cases[] = {
        {"as built", [](ImportedModel&) {}, nullptr},
        {"vertex past the list", [](ImportedModel& m) { m.meshes[0]->indices[9] = 4; },
         "missing vertex"},
        {"normal past the list", [](ImportedModel& m) { m.meshes[1]->indices[2] = 2; },
         "missing vertex"},
        {"face past the indices", [](ImportedModel& m) { m.meshes[0]->faces[1].firstIndex = 13; },
         "outside its index list"},
        {"material that is not there",
         [](ImportedModel& m) { m.meshes[0]->faces[0].materialIndex = 2; }, "material"},
        {"line past the element list", [](ImportedModel& m) { m.meshes[0]->lines[0].count = 4; },
         "malformed"},
        {"point of a missing vertex", [](ImportedModel& m) { m.meshes[1]->elementIndices[0] = 9; },
         "missing vertex"},
        {"a colour short", [](ImportedModel& m) { m.meshes[0]->colors.pop_back(); }, "colours"},
        {"texture that is not there", [](ImportedModel& m) { m.materials[0].texture = 2; },
         "texture 2"},
        {"texels that do not fill the picture", [](ImportedModel& m) { m.textures[1].height = 2; },
         "malformed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string error = ReadEdited(c.change);
        if (c.reason == nullptr) {
            EXPECT_EQ(error, "");
        } else {
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        }
    }
}

TEST(ImportAnswer, CountsBeyondTheBytesAreRefusedBeforeAnythingIsMade) {
    std::string bytes = SerializeImportResult(true, FullModel(), "");
    // the warning count follows the magic, the length, the status and the format "GLB"
    const std::size_t at = 6 + 8 + 1 + 8 + 3;
    const std::uint64_t huge = std::uint64_t{1} << 60;
    std::memcpy(&bytes[at], &huge, sizeof huge);
    ImportedModel read;
    bool imported = false;
    std::string importError;
    std::string streamError;
    EXPECT_FALSE(DeserializeImportResult(bytes, imported, read, importError, streamError));
    EXPECT_NE(streamError.find("exceeds"), std::string::npos) << streamError;

    // a declared length that is not what follows
    bytes = SerializeImportResult(true, FullModel(), "") + "x";
    streamError.clear();
    EXPECT_FALSE(DeserializeImportResult(bytes, imported, read, importError, streamError));
    EXPECT_NE(streamError.find("declared length"), std::string::npos) << streamError;
}

struct Outcome {
    bool imported = false;
    ImportedModel model;
    std::string error;
    double seconds = 0.0;
};

Outcome Isolated(const ImportFunction& import, int timeoutSeconds = 1) {
    Outcome outcome;
    const auto start = std::chrono::steady_clock::now();
    outcome.imported =
        ImportIsolatedWith(import, "some/file.xyz", outcome.model, outcome.error, timeoutSeconds);
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

TEST(IsolatedImport, TheChildsEndIsNamed) {
    const struct {
        const char* name;
        ImportFunction import;
        const char* error;
    } cases[] = {
        {"abort", [](const std::string&, ImportedModel&, std::string&) -> bool { std::abort(); },
         "the importer crashed (signal 6) on this file"},
        {"hang",
         [](const std::string&, ImportedModel&, std::string&) -> bool {
             for (;;) {
                 pause();
             }
         },
         "the import took more than 1 s"},
        {"exit", [](const std::string&, ImportedModel&, std::string&) -> bool { _exit(5); },
         "the importer stopped (exit status 5) on this file"},
        {"refusal",
         [](const std::string& path, ImportedModel&, std::string& error) {
             error = "cannot read " + path;
             return false;
         },
         "cannot read some/file.xyz"},
        {"throw",
         [](const std::string&, ImportedModel&, std::string&) -> bool { throw std::bad_alloc(); },
         "the importer ran out of memory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = Isolated(c.import);
        EXPECT_FALSE(outcome.imported);
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_TRUE(outcome.model.meshes.empty());
        EXPECT_LT(outcome.seconds, 5.0); // the hang is cut at its deadline
    }
}

// Exit handlers that run in a child: they would tear down what the parent still uses.
const pid_t testProcess = getpid();
std::string foreignExitMark;

void MarkForeignExit() {
    if (getpid() != testProcess) {
        std::ofstream(foreignExitMark) << "an exit handler ran in a child\n";
    }
}

std::string Contents(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(IsolatedImport, AModelComesBackWholeAndTheChildLeavesNoTrace) {
    foreignExitMark = ::testing::TempDir() + "isolated_import_exit_mark.txt";
    std::remove(foreignExitMark.c_str());
    std::atexit(MarkForeignExit);
    const Outcome outcome = Isolated([](const std::string&, ImportedModel& out, std::string&) {
        // Ctrl+C at the terminal reaches the child too; the parent decides what it means
        raise(SIGINT);
        raise(SIGTERM);
        out = FullModel();
        return true;
    });
    ASSERT_TRUE(outcome.imported) << outcome.error;
    ExpectSame(FullModel(), outcome.model);
    EXPECT_EQ(Contents(foreignExitMark), "");

    // Output the parent has buffered but not yet written reaches its file once, even when the
    // importer leaves through exit(), which writes out the child's copy of every buffer.
    const std::string log = ::testing::TempDir() + "isolated_import_stdout.txt";
    std::FILE* file = std::fopen(log.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::setvbuf(file, nullptr, _IOFBF, 4096);
    std::fputs("pending line\n", file);
    const Outcome exited =
        Isolated([](const std::string&, ImportedModel&, std::string&) -> bool { std::exit(4); });
    std::fclose(file);
    EXPECT_EQ(exited.error, "the importer stopped (exit status 4) on this file");
    EXPECT_EQ(Contents(log), "pending line\n");
}

TEST(IsolatedImport, LargeModelsCrossThePipe) {
    // More than the pipe and the reader's buffers hold, so both sides wait on each other.
    const Outcome outcome = Isolated([](const std::string&, ImportedModel& out, std::string&) {
        auto mesh = std::make_unique<ObjMesh>();
        for (int i = 0; i < 300000; ++i) {
            mesh->vertices.push_back({float(i), 0, 0});
            const int corners[] = {i, i, i};
            mesh->AddInterleavedFace(corners, 3, false, false, -1);
        }
        out.meshes.push_back(std::move(mesh));
        return true;
    });
    ASSERT_TRUE(outcome.imported) << outcome.error;
    ASSERT_EQ(outcome.model.meshes[0]->vertices.size(), 300000u);
    EXPECT_EQ(outcome.model.meshes[0]->vertices[299999].x, 299999.0f);
    EXPECT_EQ(outcome.model.meshes[0]->indices[3 * 299999], 299999);
}

// The real readers behind the child: strip files go to the strip reader, the rest to assimp.
TEST(IsolatedImport, FilesReachTheirReader) {
    const struct {
        const char* file;
        std::size_t faces;
    } cases[] = {{"tristrips-binary-le.ply", 5}, // assimp would give one triangle
                 {"cube-colors-ascii.ply", 6},
                 {"quad-and-triangle.off", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ImportedModel model;
        std::string error;
        ASSERT_TRUE(ImportIsolated(formats + c.file, model, error)) << error;
        std::size_t faces = 0;
        for (const auto& mesh : model.meshes) {
            faces += mesh->faces.size();
        }
        EXPECT_EQ(faces, c.faces);
    }
}

// Every test model cut at every 7th byte of its first 512 and with bytes flipped: imported or
// refused with a reason, in bounded time (none reaches the deadline). A crash is only ever assimp's
// own assertion (signal 6); anything else (a segmentation fault, a sanitizer report) is a fault of
// the conversion.
TEST(IsolatedImport, CutAndCorruptedFilesEndInAnAnswer) {
    const std::string folder = ::testing::TempDir() + "isolated_import_cuts/";
    std::filesystem::create_directories(folder);
    std::mt19937 random(11);
    int crashes = 0;
    int timeouts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(formats)) {
        const std::string name = entry.path().filename().string();
        const std::string extension = entry.path().extension().string();
        if (extension == ".py" || extension == ".png" || extension == ".bin") {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string whole((std::istreambuf_iterator<char>(in)), {});
        std::vector<std::string> copies;
        for (std::size_t cut = 0; cut < std::min<std::size_t>(whole.size(), 512); cut += 7) {
            copies.push_back(whole.substr(0, cut));
        }
        for (int trial = 0; trial < 8; ++trial) {
            std::string bytes = whole;
            for (int flips = 0; flips < 3; ++flips) {
                bytes[random() % bytes.size()] = static_cast<char>(random());
            }
            copies.push_back(bytes);
        }
        for (std::size_t i = 0; i < copies.size(); ++i) {
            const std::string path = folder + std::to_string(i) + "-" + name;
            std::ofstream(path, std::ios::binary) << copies[i];
            ImportedModel model;
            std::string error;
            if (!ImportIsolated(path, model, error, 2)) {
                SCOPED_TRACE(path);
                EXPECT_FALSE(error.empty());
                const bool crashed = error.find("crashed") != std::string::npos ||
                                     error.find("stopped") != std::string::npos;
                EXPECT_TRUE(!crashed || error.find("(signal 6)") != std::string::npos) << error;
                crashes += crashed;
                timeouts += error.find("took more than") != std::string::npos;
            }
            std::filesystem::remove(path);
        }
    }
    std::printf("%d crashes of the importer\n", crashes);
    // Cut PLY headers, on which assimp loops forever, are refused before assimp sees them.
    EXPECT_EQ(timeouts, 0);
}

} // namespace
