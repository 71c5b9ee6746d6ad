// The Wavefront OBJ reader.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <malloc.h>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <utility>

#include "common/diagnostics.h"
#include "model/file_window.h"
#include "model/large_pages.h"
#include "model/material_names.h"
#include "model/obj_chunks.h"
#include "model/obj_lines.h"
#include "model/obj_stream.h"
#include "model/obj_text.h"
#include "model/reading.h"

namespace {

struct ModelDeleter {
    void operator()(ObjModel* model) const { DeleteModel(model); }
};
using ModelOwner = std::unique_ptr<ObjModel, ModelDeleter>;

// The room a small list has beyond what it holds goes: in a block of the heap it may sit on
// pages that earlier blocks touched, and a small group may have been given a large group's
// room. A large list keeps its room: its block is mapped pages of its own whose unused end was
// never touched, and copying it would cost more than it saves.
template <typename T> void ShrinkSmall(std::vector<T>& list) {
    if (list.capacity() > list.size() && list.size() * sizeof(T) < (1u << 20)) {
        list.shrink_to_fit();
    }
}

enum class Kind { vertex, texCoord, normal };

// Where a face keeps one corner's index of the kind, or null when the face has none.
int* CornerSlot(ObjMesh& mesh, const ObjFace& face, int corner, Kind kind) {
    const std::size_t start = face.firstIndex + static_cast<std::size_t>(corner) * face.Stride();
    switch (kind) {
    case Kind::vertex:
        return &mesh.indices[start];
    case Kind::texCoord:
        return face.HasTexCoords() ? &mesh.indices[start + 1] : nullptr;
    case Kind::normal:
        return face.HasNormals() ? &mesh.indices[start + face.Stride() - 1] : nullptr;
    }
    return nullptr;
}

// Where the elements of one kind (vertices, normals or texture coordinates) that faces take
// from earlier meshes go. Exporters that write one shared pool and then groups of faces number
// across groups; each such element is copied into the current mesh once, after the mesh's own
// elements when the mesh is complete, so that the mesh-local indices of its own elements (and
// the statistics, which count them) stay as they are.
template <typename Element> class BorrowedElements {
public:
    // The model-wide start of every mesh's own elements, in mesh order.
    void StartMesh(std::int64_t start) { m_starts.push_back(start); }

    // The copy slot for the element with model-wide index global, which an earlier mesh owns.
    int Borrow(const ObjModel& model, std::vector<Element> ObjMesh::*list, std::int64_t global) {
        const auto found = m_slots.find(global);
        if (found != m_slots.end()) {
            return found->second;
        }
        // The last mesh starting at or before global owns it (empty meshes share its start).
        const auto [mesh, local] = Owner(model, global);
        const int slot = static_cast<int>(m_copies.size());
        m_copies.push_back((mesh->*list)[local]);
        m_globals.push_back(global);
        m_slots.emplace(global, slot);
        return slot;
    }

    // The mesh that owns the element with model-wide index global, and its index there.
    std::pair<const ObjMesh*, std::size_t> Owner(const ObjModel& model, std::int64_t global) const {
        // The last mesh starting at or before global owns it (empty meshes share its start).
        const auto owner = std::upper_bound(m_starts.begin(), m_starts.end(), global) - 1;
        return {model.meshes[static_cast<std::size_t>(owner - m_starts.begin())],
                static_cast<std::size_t>(global - *owner)};
    }

    // The model-wide indices of the current mesh's copies, in copy order.
    const std::vector<std::int64_t>& Borrowed() const { return m_globals; }

    // Remembers that entry position of the mesh's point and line indices takes copy slot.
    void ReferElement(std::size_t position, int slot) {
        m_elementReferences.push_back(ElementReference{position, slot});
    }

    // Remembers that corner of face faceNumber takes copy slot.
    void Refer(std::size_t faceNumber, int corner, int slot) {
        m_references.push_back(Reference{faceNumber, corner, slot});
    }

    // Appends the copies to the finished mesh and points the faces at them.
    void FinishMesh(ObjMesh& mesh, std::vector<Element> ObjMesh::*list, Kind kind) {
        if (m_copies.empty()) {
            return;
        }
        std::vector<Element>& elements = mesh.*list;
        const std::int64_t own = static_cast<std::int64_t>(elements.size());
        const std::int64_t copies = static_cast<std::int64_t>(m_copies.size());
        // Numbers past the mesh's own elements (written before their element, or never
        // listed) must not land on a copy: they stay past the end of the whole list.
        for (const ObjFace& face : mesh.faces) {
            for (int j = 0; j < face.VertexCount(); ++j) {
                int* index = CornerSlot(mesh, face, j, kind);
                if (index != nullptr && *index >= own) {
                    *index = Clamped(*index + copies);
                }
            }
        }
        for (const Reference& reference : m_references) {
            *CornerSlot(mesh, mesh.faces[reference.face], reference.corner, kind) =
                static_cast<int>(own + reference.slot);
        }
        if (kind == Kind::vertex) {
            for (int& index : mesh.elementIndices) {
                if (index >= own) {
                    index = Clamped(index + copies);
                }
            }
            for (const ElementReference& reference : m_elementReferences) {
                mesh.elementIndices[reference.position] = static_cast<int>(own + reference.slot);
            }
        }
        elements.insert(elements.end(), m_copies.begin(), m_copies.end());
        m_copies.clear();
        m_globals.clear();
        m_slots.clear();
        m_references.clear();
        m_elementReferences.clear();
    }

private:
    struct Reference {
        std::size_t face;
        int corner;
        int slot;
    };

    struct ElementReference {
        std::size_t position;
        int slot;
    };

    std::vector<std::int64_t> m_starts;
    std::vector<Element> m_copies;
    std::vector<std::int64_t> m_globals; // the model-wide index of every copy
    std::unordered_map<std::int64_t, int> m_slots;
    std::vector<Reference> m_references;
    std::vector<ElementReference> m_elementReferences;
};

class ObjParser {
public:
    ObjParser(ObjModel& model, const std::string& path, const std::string& folder, bool mipmaps,
              bool lenientMaterials, const TextureLoader& textures, std::uint64_t totalBytes,
              std::vector<PlannedMesh> plan)
        : m_model(model), m_path(path), m_folder(folder), m_mipmaps(mipmaps),
          m_lenientMaterials(lenientMaterials), m_textures(textures), m_totalBytes(totalBytes),
          m_plan(std::move(plan)) {}

    // Whether large lists ask for large pages. Not when parts are read on other threads: while
    // their records wait to be appended, the partly filled large page at the end of every
    // growing list would be resident beside them.
    void UseLargePages(bool use) { m_largePages = use; }

    // The reader whose lines come next, and where in the text it starts; null between readers.
    void ReadingFrom(const LineReader* lines, std::uint64_t start) {
        m_lines = lines;
        m_linesStart = start;
    }

    // False when the load must stop (unknown material, no memory for a mesh).
    bool ReadLine(std::string_view line) {
        // Elements and faces, most of a large file, are told apart by their first characters
        // before the statements that no element or face line can match are tried.
        if (line.size() >= 2 && (line[0] == 'v' || line[0] == 'f')) {
            if (line[1] == ' ') {
                if (!StartMesh()) {
                    return false;
                }
                line[0] == 'v' ? ReadVertex(line.substr(2)) : ReadFace(line.substr(2));
                return true;
            }
            if (line[0] == 'v' && line.size() >= 3 && line[2] == ' ' &&
                (line[1] == 't' || line[1] == 'n')) {
                if (!StartMesh()) {
                    return false;
                }
                line[1] == 't' ? ReadTexCoord(line.substr(3)) : ReadNormal(line.substr(3));
                return true;
            }
        }
        if (StartsWith(line, "g ")) {
            return ReadGroup(RestFrom(line, 2));
        }
        if (StartsWith(line, "mtllib")) {
            for (const std::string& library : LibraryNames(RestFrom(line, 7), m_folder)) {
                ReadMaterialsNamedAt(library, m_folder, m_mipmaps, m_textures, Where());
            }
            return true;
        }
        if (StartsWith(line, "usemtl")) {
            return ReadUseMaterial(RestFrom(line, 7));
        }
        if (StartsWith(line, "usemat")) {
            ReadUseTexture(RestFrom(line, 7));
            return true;
        }
        const bool vertex = StartsWith(line, "v ");
        const bool normal = StartsWith(line, "vn ");
        const bool texCoord = StartsWith(line, "vt ");
        const bool face = StartsWith(line, "f ");
        if (!vertex && !normal && !texCoord && !face) {
            ReadOtherStatement(line);
            return true;
        }
        if (m_mesh == nullptr && !AddMesh("objeto")) {
            return false;
        }
        if (vertex) {
            ReadVertex(RestFrom(line, 2));
        } else if (normal) {
            ReadNormal(RestFrom(line, 3));
        } else if (texCoord) {
            ReadTexCoord(RestFrom(line, 3));
        } else {
            ReadFace(RestFrom(line, 2));
        }
        return true;
    }

    // The number of the line ReadLine is given next, for reports.
    void AtLine(std::uint64_t number) { m_lineNumber = number; }

    void Finish() {
        if (m_mesh != nullptr) {
            PrintStatistics(*m_mesh);
            FinishMesh();
        }
        std::cout << "Limites: " << m_min.x << " " << m_min.y << " " << m_min.z << " - " << m_max.x
                  << " " << m_max.y << " " << m_max.z << "\n";
    }

    enum class Appended { whole, stop, misread };

    // Appends what a thread read of a part of the text, as if its lines were read here: runs
    // of elements and faces are moved in, statements are read. A part read from a state other
    // than the one the parser is in (the first count told its start wrongly) is left alone
    // (misread), to be read line by line; stop when the load must stop.
    Appended AppendChunk(ChunkResult& chunk, const ChunkStart& start) {
        const std::size_t counts[3] = {m_mesh ? m_mesh->vertices.size() : 0,
                                       m_mesh ? m_mesh->texCoords.size() : 0,
                                       m_mesh ? m_mesh->normals.size() : 0};
        const std::int64_t offsets[3] = {m_vertexOffset, m_texCoordOffset, m_normalOffset};
        for (int k = 0; k < 3; ++k) {
            if (counts[k] != start.counts[k] || offsets[k] != start.offsets[k]) {
                return Appended::misread;
            }
        }
        m_chunkBorrows = 0;
        for (const ChunkItem& item : chunk.items) {
            if (item.statement) {
                AtLine(item.line);
                if (!ReadLine(
                        std::string_view(chunk.text).substr(item.textStart, item.textLength))) {
                    return Appended::stop;
                }
            } else if (!AppendRun(chunk, item)) {
                return Appended::stop;
            }
        }
        return Appended::whole;
    }

private:
    template <typename T>
    static void TakeInto(Blocks<T>& from, std::size_t count, std::vector<T>& to) {
        from.Take(count,
                  [&](const T* values, std::size_t n) { to.insert(to.end(), values, values + n); });
    }

    bool AppendRun(ChunkResult& chunk, const ChunkItem& run) {
        if (run.counts[0] + run.counts[1] + run.counts[2] + run.faces == 0) {
            return true;
        }
        if (!StartMesh()) {
            return false;
        }
        ObjMesh& mesh = *m_mesh;
        // Vertices (with their colours) first, as the faces' numbers were resolved against them.
        const std::size_t vertexCount = run.counts[0];
        MakeRoom(mesh.vertices, vertexCount, m_listStarts[0]);
        chunk.vertices.Take(vertexCount, [&](const Vector3* values, std::size_t n) {
            for (std::size_t i = 0; i < n; ++i) {
                mesh.vertices.push_back(values[i]);
                GrowLimits(values[i]);
            }
        });
        const Vector3 white{1.0f, 1.0f, 1.0f};
        if (run.colored && vertexCount > 0) {
            m_colorsRead = true;
            Plan(mesh.colors, m_segment < m_plan.size() ? m_plan[m_segment].vertices : 0);
            mesh.colors.resize(mesh.vertices.size() - vertexCount, white);
            TakeInto(chunk.colors, vertexCount, mesh.colors);
        } else if (!mesh.colors.empty()) {
            mesh.colors.resize(mesh.colors.size() + vertexCount, white);
        }
        MakeRoom(mesh.texCoords, run.counts[1], m_listStarts[2]);
        TakeInto(chunk.texCoords, run.counts[1], mesh.texCoords);
        MakeRoom(mesh.normals, run.counts[2], m_listStarts[1]);
        TakeInto(chunk.normals, run.counts[2], mesh.normals);

        // The faces' index numbers follow the mesh's; the records address them with 32 bits.
        const std::size_t firstIndex = mesh.indices.size();
        const std::size_t firstFace = mesh.faces.size();
        if (firstIndex > UINT32_MAX || run.indices > UINT32_MAX - firstIndex) {
            throw std::bad_alloc(); // as the face that went past it would fail
        }
        MakeRoom(mesh.faces, run.faces, m_listStarts[3]);
        chunk.faces.Take(run.faces, [&](const ObjFace* values, std::size_t n) {
            for (std::size_t i = 0; i < n; ++i) {
                ObjFace face = values[i];
                face.firstIndex += static_cast<std::uint32_t>(firstIndex);
                face.materialIndex = m_materialIndex;
                mesh.faces.push_back(face);
            }
        });
        if (mesh.indices.size() + run.indices > mesh.indices.capacity() &&
            m_plannedFaces > firstFace + run.faces) {
            // As for a face read here: the faces still to come take as many numbers as these.
            const std::size_t perFace =
                std::min<std::size_t>((run.indices + run.faces - 1) / run.faces, 12);
            const std::size_t facesLeft = m_plannedFaces - firstFace - run.faces;
            Plan(mesh.indices, mesh.indices.size() + run.indices + facesLeft * perFace);
        }
        MakeRoom(mesh.indices, run.indices, m_listStarts[4]);
        TakeInto(chunk.indices, run.indices, mesh.indices);
        if (m_smoothingRead && run.faces > 0) {
            AddSmoothingGroups(run.faces);
        }
        // The copies are numbered in the order the corners name them, kind by kind.
        for (std::size_t b = 0; b < run.borrows; ++b) {
            const ChunkBorrow& borrow = chunk.borrows[m_chunkBorrows++];
            const std::size_t face = firstFace + borrow.face;
            int slot = 0;
            if (borrow.kind == 0) {
                slot = m_borrowedVertices.Borrow(m_model, &ObjMesh::vertices, borrow.global);
                m_borrowedVertices.Refer(face, borrow.corner, slot);
            } else if (borrow.kind == 1) {
                slot = m_borrowedTexCoords.Borrow(m_model, &ObjMesh::texCoords, borrow.global);
                m_borrowedTexCoords.Refer(face, borrow.corner, slot);
            } else {
                slot = m_borrowedNormals.Borrow(m_model, &ObjMesh::normals, borrow.global);
                m_borrowedNormals.Refer(face, borrow.corner, slot);
            }
        }
        return true;
    }

    // "model.obj:12", for reports about the current line.
    std::string Where() const { return m_path + ":" + std::to_string(m_lineNumber); }

    static void PrintStatistics(const ObjMesh& mesh) {
        std::cout << "Vertices: " << mesh.vertices.size() << "\n"
                  << "Faces:    " << mesh.faces.size() << "\n"
                  << "Normais:  " << mesh.normals.size() << "\n"
                  << "Texcoords:" << mesh.texCoords.size() << "\n";
    }

    // Elements and faces before any group line go into a mesh of their own.
    bool StartMesh() { return m_mesh != nullptr || AddMesh("objeto"); }

    bool AddMesh(std::string_view name) {
        std::unique_ptr<ObjMesh> mesh(new (std::nothrow) ObjMesh);
        if (!mesh) {
            return false;
        }
        mesh->name.assign(name.data(), name.size());
        if (m_segment < m_plan.size()) {
            // Borrowed elements come on top of these when the mesh is finished.
            const PlannedMesh& planned = m_plan[m_segment];
            Plan(mesh->vertices, planned.vertices);
            Plan(mesh->normals, planned.normals);
            Plan(mesh->texCoords, planned.texCoords);
            Plan(mesh->faces, planned.faces);
            m_plannedFaces = planned.faces;
        } else if (m_mesh != nullptr) {
            // Exporters that write groups tend to write groups of like size: each list starts
            // with the room the previous group needed, instead of growing to it step by step.
            mesh->vertices.reserve(m_mesh->vertices.size());
            mesh->normals.reserve(m_mesh->normals.size());
            mesh->texCoords.reserve(m_mesh->texCoords.size());
            mesh->faces.reserve(m_mesh->faces.size());
            mesh->indices.reserve(m_mesh->indices.size());
        }
        m_model.meshes.push_back(mesh.get());
        // From here the model owns the mesh, also when what follows runs out of memory.
        m_mesh = mesh.release();
        m_borrowedVertices.StartMesh(m_vertexOffset);
        m_borrowedNormals.StartMesh(m_normalOffset);
        m_borrowedTexCoords.StartMesh(m_texCoordOffset);
        return true;
    }

    bool ReadGroup(std::string_view name) {
        ++m_segment;
        if (m_mesh != nullptr) {
            PrintStatistics(*m_mesh);
            m_vertexOffset += static_cast<std::int64_t>(m_mesh->vertices.size());
            m_normalOffset += static_cast<std::int64_t>(m_mesh->normals.size());
            m_texCoordOffset += static_cast<std::int64_t>(m_mesh->texCoords.size());
            FinishMesh();
        }
        if (!AddMesh(name)) {
            return false;
        }
        std::cout << "Novo modelo: " << name << "\n";
        return true;
    }

    // Called once the mesh's own elements are all read and counted.
    void FinishMesh() {
        if (m_colorsRead) {
            FinishColors();
        }
        m_borrowedVertices.FinishMesh(*m_mesh, &ObjMesh::vertices, Kind::vertex);
        m_borrowedNormals.FinishMesh(*m_mesh, &ObjMesh::normals, Kind::normal);
        m_borrowedTexCoords.FinishMesh(*m_mesh, &ObjMesh::texCoords, Kind::texCoord);
        ShrinkSmall(m_mesh->vertices);
        ShrinkSmall(m_mesh->normals);
        ShrinkSmall(m_mesh->texCoords);
        ShrinkSmall(m_mesh->faces);
        ShrinkSmall(m_mesh->indices);
    }

    // The colours of the vertices the mesh borrows, from the meshes that own them, behind the
    // mesh's own; the list exists when one of its vertices, own or borrowed, has a colour.
    void FinishColors() {
        const Vector3 white{1.0f, 1.0f, 1.0f};
        std::vector<Vector3>& colors = m_mesh->colors;
        const std::vector<std::int64_t>& borrowed = m_borrowedVertices.Borrowed();
        bool colored = !colors.empty();
        std::vector<Vector3> copies;
        copies.reserve(borrowed.size());
        for (const std::int64_t global : borrowed) {
            const auto [owner, local] = m_borrowedVertices.Owner(m_model, global);
            const bool has = local < owner->colors.size();
            copies.push_back(has ? owner->colors[local] : white);
            colored = colored || has;
        }
        if (colored) {
            colors.resize(m_mesh->vertices.size(), white);
            colors.insert(colors.end(), copies.begin(), copies.end());
        }
    }

    // The mesh-local index of one corner's number; an element of an earlier mesh is borrowed,
    // and the corner pointed at its copy when the mesh is finished.
    template <typename Element>
    int CornerIndex(int number, std::int64_t offset, std::vector<Element> ObjMesh::*list,
                    BorrowedElements<Element>& borrowed, int corner) {
        if (number > offset) {
            return static_cast<int>(number - 1 - offset); // the common case: one of the mesh's own
        }
        std::int64_t global = -1;
        const int index = ResolveNumber(number, offset, ((*m_mesh).*list).size(), global);
        if (global >= 0) {
            const int slot = borrowed.Borrow(m_model, list, global);
            borrowed.Refer(m_mesh->faces.size(), corner, slot);
        }
        return index;
    }

    bool ReadUseMaterial(std::string_view name) {
        const std::string materialName(TrimBlanks(name));
        const int index = FindMaterial(materialName);
        if (index != -1) {
            m_materialIndex = index;
            return true;
        }
        std::cout << "Erro! Material " << materialName
                  << " n\xE3"
                     "o encontrado!\n";
        if (!m_lenientMaterials) {
            return false;
        }
        std::cout << "Usando o material padr\xE3o.\n";
        Report(Level::warning, Where() + ": material \"" + materialName +
                                   "\" is defined by no material library; its faces get the "
                                   "default material");
        m_materialIndex = defaultMaterialIndex;
        return true;
    }

    // Loads the image into the texture table; the model keeps nothing of it.
    void ReadUseTexture(std::string_view name) const {
        if (name == "(null)" || !m_textures) {
            return;
        }
        std::string fileName = m_folder;
        fileName.append(name.data(), name.size());
        m_textures(fileName, m_mipmaps);
    }

    void ReadVertex(std::string_view rest) {
        Vector3 v;
        Vector3 color;
        const bool colored = ReadVertexNumbers(rest, v, color);
        MakeRoom(m_mesh->vertices, 1, m_listStarts[0]);
        m_mesh->vertices.push_back(v);
        // "v x y z r g b": a colour, whose list starts with the first coloured vertex and
        // then keeps pace with the vertices (white for those without).
        if (colored) {
            m_colorsRead = true;
            Plan(m_mesh->colors, m_segment < m_plan.size() ? m_plan[m_segment].vertices : 0);
            m_mesh->colors.resize(m_mesh->vertices.size() - 1, Vector3{1.0f, 1.0f, 1.0f});
            m_mesh->colors.push_back(color);
        } else if (!m_mesh->colors.empty()) {
            m_mesh->colors.push_back(Vector3{1.0f, 1.0f, 1.0f});
        }
        GrowLimits(v);
    }

    // The limits restart with every mesh, so they describe the last mesh read. Called after
    // the vertex is added.
    void GrowLimits(const Vector3& v) {
        if (m_mesh->vertices.size() == 1) {
            m_min = v;
            m_max = v;
            return;
        }
        m_min.x = v.x < m_min.x ? v.x : m_min.x;
        m_min.y = v.y < m_min.y ? v.y : m_min.y;
        m_min.z = v.z < m_min.z ? v.z : m_min.z;
        m_max.x = v.x > m_max.x ? v.x : m_max.x;
        m_max.y = v.y > m_max.y ? v.y : m_max.y;
        m_max.z = v.z > m_max.z ? v.z : m_max.z;
    }

    void ReadNormal(std::string_view rest) {
        const Vector3 n = ReadNormalNumbers(rest);
        MakeRoom(m_mesh->normals, 1, m_listStarts[1]);
        m_mesh->normals.push_back(n);
    }

    void ReadTexCoord(std::string_view rest) {
        const TexCoord t = ReadTexCoordNumbers(rest);
        MakeRoom(m_mesh->texCoords, 1, m_listStarts[2]);
        m_mesh->texCoords.push_back(t);
    }

    void ReadFace(std::string_view rest) {
        bool hasTexCoords = false;
        bool hasNormals = false;
        const std::size_t corners = ReadFaceNumbers(rest, m_corners, hasTexCoords, hasNormals);
        int* const numbers = m_corners.data();
        // Only the numbers the face has go into the mesh's index list.
        const std::size_t kept = ResolveFaceNumbers(
            numbers, corners, hasTexCoords, hasNormals, [&](int number, int kind, int corner) {
                if (kind == 0) {
                    return CornerIndex(number, m_vertexOffset, &ObjMesh::vertices,
                                       m_borrowedVertices, corner);
                }
                if (kind == 1) {
                    return CornerIndex(number, m_texCoordOffset, &ObjMesh::texCoords,
                                       m_borrowedTexCoords, corner);
                }
                return CornerIndex(number, m_normalOffset, &ObjMesh::normals, m_borrowedNormals,
                                   corner);
            });
        MakeRoom(m_mesh->faces, 1, m_listStarts[3]);
        std::vector<int>& indices = m_mesh->indices;
        if (indices.size() + kept > indices.capacity() && m_plannedFaces > m_mesh->faces.size()) {
            // The faces still to come take as many numbers as this one; a larger one later
            // plans again. Beyond quadrilaterals with all three numbers the list grows instead.
            const std::size_t facesLeft = m_plannedFaces - m_mesh->faces.size() - 1;
            Plan(indices, indices.size() + kept + facesLeft * std::min<std::size_t>(kept, 12));
        }
        MakeRoom(indices, kept, m_listStarts[4]);
        // Only a face beyond what a face record addresses fails here: a model that large
        // fails to load like one too large for memory.
        if (!m_mesh->AddInterleavedFace(numbers, corners, hasTexCoords, hasNormals,
                                        m_materialIndex)) {
            throw std::bad_alloc();
        }
        if (m_smoothingRead) {
            AddSmoothingGroups(1);
        }
    }

    // The smoothing group of the count faces just added, once an "s" was read; faces read
    // before the first one are not smoothed. Faces that are all off only mark the mesh: "s off"
    // is what most editors write, and a list of zeros would cost as much as the faces' materials.
    void AddSmoothingGroups(std::size_t count) {
        std::vector<std::uint32_t>& groups = m_mesh->smoothingGroups;
        if (groups.empty()) {
            m_mesh->smoothingOff = m_smoothingGroup == 0;
            if (m_mesh->smoothingOff) {
                return;
            }
        }
        const std::size_t before = m_mesh->faces.size() - count;
        if (m_plannedFaces >= m_mesh->faces.size()) {
            Plan(groups, m_plannedFaces);
        }
        if (groups.size() != before) {
            groups.resize(before, 0);
        }
        groups.insert(groups.end(), count, m_smoothingGroup);
    }

    // Statements that only drawing uses: smoothing groups, points and lines. Anything else
    // (o and the statements this reader does not know) is passed over.
    void ReadOtherStatement(std::string_view line) {
        if (StartsWith(line, "s ")) {
            const std::string_view rest = TrimBlanks(RestFrom(line, 2));
            const int group = rest == "off" ? 0 : ParseInt(rest.data(), rest.data() + rest.size());
            m_smoothingGroup = static_cast<std::uint32_t>(group);
            m_smoothingRead = true;
            return;
        }
        // Points and lines name vertices read before them, so there is a mesh to hold them;
        // without one they name nothing.
        if (m_mesh == nullptr) {
            return;
        }
        if (StartsWith(line, "p ")) {
            ReadElement(RestFrom(line, 2), m_mesh->points);
        } else if (StartsWith(line, "l ")) {
            ReadElement(RestFrom(line, 2), m_mesh->lines);
        }
    }

    // A point or line statement: the vertex number of every corner (texture numbers after a
    // '/' are passed over), resolved like a face's.
    void ReadElement(std::string_view rest, std::vector<ObjElement>& elements) {
        std::vector<int>& indices = m_mesh->elementIndices;
        const std::size_t first = indices.size();
        const char* p = rest.data();
        const char* const end = p + rest.size();
        while (p < end) {
            if (IsSpace(*p)) {
                ++p;
                continue;
            }
            const int number = ParseInt(p, end, &p);
            while (p < end && !IsSpace(*p)) {
                ++p; // the rest of the corner
            }
            const std::int64_t local = LocalIndex(number, m_vertexOffset, m_mesh->vertices.size());
            int index = Clamped(local);
            if (number != 0 && local < 0 && m_vertexOffset + local >= 0) {
                const int slot =
                    m_borrowedVertices.Borrow(m_model, &ObjMesh::vertices, m_vertexOffset + local);
                m_borrowedVertices.ReferElement(indices.size(), slot);
                index = -1; // replaced when the mesh is finished
            }
            indices.push_back(index);
        }
        const std::size_t count = indices.size() - first;
        if (count == 0) {
            return;
        }
        if (first > UINT32_MAX || count > UINT32_MAX) {
            throw std::bad_alloc(); // beyond what an element record addresses
        }
        elements.push_back(ObjElement{static_cast<std::uint32_t>(first),
                                      static_cast<std::uint32_t>(count), m_materialIndex});
    }

    // Room for adding more elements in a list. Small lists double; a large one is given what
    // the rest of the file will bring at the rate the list grew so far, within limits, so that
    // a big model is not copied again and again while it grows (unused room at the end of a
    // large block costs address space only, never touched).
    template <typename T>
    void MakeRoom(std::vector<T>& list, std::size_t adding, std::uint64_t& listStart) {
        const std::size_t size = list.size();
        if (size == 0) {
            listStart = Consumed();
        }
        if (size + adding <= list.capacity()) {
            return;
        }
        std::size_t planned = std::max(size * 2, size + adding);
        const std::uint64_t consumed = Consumed();
        if (m_totalBytes > consumed && consumed > listStart && size * sizeof(T) >= (1u << 20)) {
            const double rate =
                static_cast<double>(size) / static_cast<double>(consumed - listStart);
            const double projected = static_cast<double>(size + adding) +
                                     rate * static_cast<double>(m_totalBytes - consumed) * 1.02;
            const std::size_t least = size + std::max(adding, size / 4);
            planned = std::max(least, std::min(static_cast<std::size_t>(projected), size * 8));
        }
        list.reserve(planned);
        if (m_largePages) {
            AskForLargePages(list.data(), list.capacity() * sizeof(T));
        }
    }

    // Bytes of the text read so far.
    std::uint64_t Consumed() const {
        return m_linesStart + (m_lines != nullptr ? m_lines->Consumed() : 0);
    }

    // Room for exactly count elements; large lists on large pages.
    template <typename T> void Plan(std::vector<T>& list, std::size_t count) const {
        if (count > list.capacity()) {
            list.reserve(count);
            if (m_largePages) {
                AskForLargePages(list.data(), list.capacity() * sizeof(T));
            }
        }
    }

    ObjModel& m_model;
    const std::string& m_path;
    const std::string& m_folder;
    const bool m_mipmaps;
    const bool m_lenientMaterials;
    const TextureLoader& m_textures;
    std::uint64_t m_lineNumber = 0;
    ObjMesh* m_mesh = nullptr;
    std::int64_t m_vertexOffset = 0;
    std::int64_t m_normalOffset = 0;
    std::int64_t m_texCoordOffset = 0;
    int m_materialIndex = -1;
    std::uint32_t m_smoothingGroup = 0; // of the faces that follow; 0 is off
    bool m_smoothingRead = false;       // whether an "s" was read: faces get groups from then
    bool m_colorsRead = false;          // whether some vertex had a colour
    BorrowedElements<Vector3> m_borrowedVertices;
    BorrowedElements<Vector3> m_borrowedNormals;
    BorrowedElements<TexCoord> m_borrowedTexCoords;
    Vector3 m_min; // a file without vertices reports zero limits
    Vector3 m_max;
    const LineReader* m_lines = nullptr;
    std::uint64_t m_linesStart = 0;   // where in the text m_lines starts
    const std::uint64_t m_totalBytes; // 0 when the stream cannot tell
    // Where the current mesh's vertices, normals, coordinates, faces and indices began.
    std::uint64_t m_listStarts[5] = {};
    std::vector<int> m_corners; // reused by every face line
    bool m_largePages = true;
    std::size_t m_chunkBorrows = 0; // the borrowed corners of the part being appended, taken
    // What the first pass counted, per stretch between group lines; empty when the stream
    // could not be read twice.
    const std::vector<PlannedMesh> m_plan;
    std::size_t m_segment = 0;      // the stretch being read: group lines read so far
    std::size_t m_plannedFaces = 0; // of the current mesh, 0 when not counted
};

} // namespace

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

namespace {

// The size of what is left to read when the stream can tell, else 0.
std::uint64_t RemainingBytes(std::istream& in) {
    const std::istream::pos_type here = in.tellg();
    if (here == std::istream::pos_type(-1)) {
        in.clear(in.rdstate() & ~std::ios::failbit);
        return 0;
    }
    in.seekg(0, std::ios::end);
    const std::istream::pos_type end = in.tellg();
    in.clear(in.rdstate() & ~std::ios::failbit);
    in.seekg(here);
    return end != std::istream::pos_type(-1) && end > here ? static_cast<std::uint64_t>(end - here)
                                                           : 0;
}

// Some editors begin UTF-8 files with a byte-order mark, which is no part of the first statement.
void SkipByteOrderMark(std::istream& in) {
    if (in.peek() != 0xEF) {
        return;
    }
    char mark[3] = {};
    in.read(mark, 3);
    const std::streamsize got = in.gcount();
    if (got == 3 && mark[1] == '\xBB' && mark[2] == '\xBF') {
        return;
    }
    in.clear(in.rdstate() & std::ios::badbit);
    for (std::streamsize i = got; i > 0; --i) {
        in.putback(mark[i - 1]);
    }
}

// Growing the lists of a large model leaves many megabytes of freed blocks in the heap; they go
// back to the system once the load is over, so that a loaded model costs what it holds.
struct ReturnFreedMemory {
    ~ReturnFreedMemory() {
#ifdef __GLIBC__
        malloc_trim(0);
#endif
    }
};

// Reads the lines of the text from position from (a line start, counted from where the text
// starts) up to position to, or to the end, into the parser. False when the load must stop.
// lineNumber is the number of the last line read before.
bool ReadLines(std::istream& in, std::istream::pos_type textStart, std::uint64_t from,
               std::uint64_t to, std::uint64_t& lineNumber, ObjParser& parser) {
    if (from > 0) {
        in.clear(in.rdstate() & std::ios::badbit);
        in.seekg(textStart + static_cast<std::streamoff>(from));
    }
    LineReader lines(in);
    parser.ReadingFrom(&lines, from);
    const std::uint64_t length = to - from;
    std::string_view line;
    bool going = true;
    while (going && lines.Consumed() < length && lines.Next(line)) {
        parser.AtLine(++lineNumber);
        if (line.empty()) {
            continue;
        }
        if (line.back() == '\r') {
            line.remove_suffix(1);
        }
        // Comments and indented statements are skipped.
        if (!line.empty() && (line[0] == '#' || line[0] == ' ')) {
            continue;
        }
        going = parser.ReadLine(line);
    }
    parser.ReadingFrom(nullptr, from + lines.Consumed());
    return going;
}

// Where the parts of a text of total bytes start: at line starts near equal shares, the first
// at 0, with total after the last. One part when the text is too short to be worth sharing.
std::vector<std::uint64_t> PartBorders(std::istream& in, std::istream::pos_type textStart,
                                       std::uint64_t total, const ReadingThreads& threads) {
    std::vector<std::uint64_t> borders{0};
    // Parts of about 1 MB: enough to share out evenly, and a mapped part is resident only
    // while it is read.
    const std::uint64_t parts =
        threads.parts > 0 ? threads.parts : total / (std::uint64_t(1) << 20);
    if (total >= threads.smallestText && parts >= 2 && threads.threads >= 2 &&
        (threads.open || !threads.file.empty())) {
        std::vector<char> window(4096);
        for (std::uint64_t k = 1; k < parts; ++k) {
            // The part starts after the first line end at or after its share.
            std::uint64_t position = std::max(total / parts * k, borders.back() + 1) - 1;
            in.clear();
            in.seekg(textStart + static_cast<std::streamoff>(position));
            bool found = false;
            while (!found && position < total && in) {
                in.read(window.data(), static_cast<std::streamsize>(window.size()));
                const auto got = static_cast<std::size_t>(in.gcount());
                if (got == 0) {
                    break;
                }
                const void* end = std::memchr(window.data(), '\n', got);
                if (end != nullptr) {
                    position +=
                        static_cast<std::uint64_t>(static_cast<const char*>(end) - window.data()) +
                        1;
                    found = true;
                } else {
                    position += got;
                }
            }
            if (!found || position >= total) {
                break;
            }
            borders.push_back(position);
        }
    }
    borders.push_back(total);
    in.clear(in.rdstate() & std::ios::badbit);
    in.seekg(textStart);
    return borders;
}

// Threads that are joined however the reading ends.
struct Joined {
    std::vector<std::thread> threads;
    ~Joined() {
        for (std::thread& thread : threads) {
            if (thread.joinable()) {
                thread.join();
            }
        }
    }
};

// The parts of a text as the threads share them out: each part goes to the first thread that
// claims it, in order. This thread reads the first part and then appends the others in order;
// a part that no helper has claimed by then it reads itself, so that it never waits for a
// helper that is behind.
class PartQueue {
public:
    // lead: how far past the part being appended a helper may claim (0: as far as it likes),
    // so that the records waiting to be appended stay few.
    explicit PartQueue(std::size_t parts, std::size_t lead = 0)
        : m_done(parts, false), m_lead(lead) {}

    // The next unclaimed part, or at least parts when none is left; a helper waits while it is
    // too far ahead.
    std::size_t Claim() {
        if (m_lead > 0) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] { return m_next.load() < m_appending + m_lead; });
        }
        return m_next.fetch_add(1);
    }

    // The next unclaimed part if it is near enough to the part being appended, else at least
    // parts; never waits.
    std::size_t ClaimNear() {
        std::size_t next = m_next.load();
        while (m_lead == 0 || next < m_appending + m_lead) {
            if (m_next.compare_exchange_weak(next, next + 1)) {
                return next;
            }
        }
        return SIZE_MAX;
    }

    // Claims part k if it is the next unclaimed one.
    bool ClaimIfNext(std::size_t k) {
        std::size_t expected = k;
        return m_next.compare_exchange_strong(expected, k + 1);
    }

    void Done(std::size_t k) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_done[k] = true;
        }
        m_changed.notify_all();
    }

    bool IsDone(std::size_t k) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_done[k];
    }

    void WaitFor(std::size_t k) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_done[k]; });
    }

    // Part k is the one being appended now; helpers waiting to claim may go on.
    void Appending(std::size_t k) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_appending = k;
        }
        m_changed.notify_all();
    }

    // Wakes every helper waiting to claim, to find nothing left.
    void Close() {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_appending = SIZE_MAX / 2;
        }
        m_changed.notify_all();
    }

private:
    std::atomic<std::size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<bool> m_done;
    const std::size_t m_lead;
    std::atomic<std::size_t> m_appending{0}; // changed under m_mutex, for the waits
};

// Where the parts' bytes come from: the file's pages when it can be mapped, else a stream.
struct PartSource {
    int file = -1;
    std::uint64_t fileSize = 0;
    std::istream* stream = nullptr;
};

// The bytes of one part: mapped from the file, with no copy, or read through the stream. Mapped
// pages count as resident while they are mapped, so a part keeps them only while it is read.
class PartBytes {
public:
    // The bytes from stream position begin to end; false when they cannot be had.
    bool Load(const PartSource& source, std::uint64_t begin, std::uint64_t end) {
        const std::size_t size = static_cast<std::size_t>(end - begin);
        if (source.file >= 0) {
            // Up to 8 bytes after the part may be read.
            if (!m_window.Map(source.file, begin, end, source.fileSize, LineReader::readAhead)) {
                return false;
            }
            m_text = PartText{m_window.Data(), size, m_window.Readable()};
            return true;
        }
        std::istream& in = *source.stream;
        m_buffer.resize(size + LineReader::readAhead);
        in.clear(in.rdstate() & std::ios::badbit);
        in.seekg(static_cast<std::streamoff>(begin));
        in.read(m_buffer.data(), static_cast<std::streamsize>(size));
        if (static_cast<std::size_t>(in.gcount()) != size) {
            return false;
        }
        m_text = PartText{m_buffer.data(), size, m_buffer.size()};
        return true;
    }

    const PartText& Text() const { return m_text; }
    // Whether the file was cut short while the part was read: what was read is not the text.
    bool Cut() const { return m_window.Cut(); }

private:
    FileWindow m_window;
    std::vector<char> m_buffer;
    PartText m_text;
};

// An open file, closed however the reading ends.
struct OpenFile {
    int descriptor = -1;
    ~OpenFile() {
        if (descriptor >= 0) {
            close(descriptor);
        }
    }
};

// Reads a part into records; leaves no result when its bytes cannot be had or memory runs out
// (the part is then read line by line when its turn comes).
void ReadPart(const PartSource& source, const ChunkStart& start, BlockPool& pool,
              std::unique_ptr<ChunkResult>& result) {
    try {
        PartBytes bytes;
        if (!bytes.Load(source, start.begin, start.end)) {
            return;
        }
        auto part = std::make_unique<ChunkResult>(pool);
        ReadChunk(bytes.Text(), start, *part);
        if (!bytes.Cut()) {
            result = std::move(part);
        }
    } catch (const std::bad_alloc&) {
    }
}

enum class PartsRead { read, stopped, notRead };

// Reads a text in parts: every part counted first (by all threads), which tells each part the
// state the reader will be in where it starts; then each part after the first read by a helper
// thread into records that this thread appends in order, or read here line by line. Parts read
// from a wrong start (when the count and the reading tell lines apart differently) are read
// again here. notRead when the parts could not be counted: nothing was read.
PartsRead ReadInParts(std::istream& in, std::istream::pos_type textStart,
                      const std::vector<std::uint64_t>& borders, const ReadingThreads& threads,
                      ObjModel& model, const std::string& path, const std::string& folder,
                      bool mipmaps, bool lenientMaterials, const TextureLoader& textures,
                      bool& readError) {
    const std::size_t parts = borders.size() - 1;
    // The file mapped when there is one; else a stream for every helper, and one that cannot
    // be opened means one helper fewer.
    OpenFile file;
    std::optional<BusErrorGuard> guard; // another program may cut the file short while mapped
    PartSource here{-1, 0, &in};
    if (!threads.file.empty()) {
        file.descriptor = open(threads.file.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat status {};
        if (file.descriptor >= 0 && fstat(file.descriptor, &status) == 0) {
            here.file = file.descriptor;
            here.fileSize = static_cast<std::uint64_t>(status.st_size);
            guard.emplace();
        }
    }
    std::vector<std::unique_ptr<std::istream>> streams;
    std::vector<PartSource> helperSources;
    for (unsigned t = 1; t < threads.threads && helperSources.size() + 1 < parts; ++t) {
        if (here.file >= 0) {
            helperSources.push_back(here);
            continue;
        }
        std::unique_ptr<std::istream> stream = threads.open ? threads.open() : nullptr;
        if (stream && *stream) {
            helperSources.push_back(PartSource{-1, 0, stream.get()});
            streams.push_back(std::move(stream));
        }
    }
    const auto partStart = [&](std::size_t k) {
        return static_cast<std::uint64_t>(textStart) + borders[k];
    };

    std::vector<StatementCount> counts(parts);
    std::atomic<bool> failed{false};
    {
        PartQueue counting(parts);
        const auto count = [&](const PartSource& source) {
            for (std::size_t k = counting.Claim(); k < parts && !failed; k = counting.Claim()) {
                try {
                    PartBytes bytes;
                    if (bytes.Load(source, partStart(k), partStart(k + 1))) {
                        counts[k] = CountStatements(bytes.Text());
                        if (bytes.Cut()) {
                            failed = true;
                        }
                    } else {
                        failed = true;
                    }
                } catch (const std::bad_alloc&) {
                    failed = true;
                }
            }
        };
        Joined helpers; // joined before what they use goes
        for (const PartSource& source : helperSources) {
            try {
                helpers.threads.emplace_back([&count, source] { count(source); });
            } catch (const std::system_error&) {
                break; // no thread to spare: the others count what is left
            }
        }
        count(here);
    }
    if (failed) {
        return PartsRead::notRead;
    }

    // One plan for the whole text; each part's start from the counts before it.
    std::vector<PlannedMesh> plan = std::move(counts[0].plan);
    std::vector<ChunkStart> starts(parts);
    std::uint64_t lines = counts[0].lines;
    for (std::size_t k = 1; k < parts; ++k) {
        ChunkStart& start = starts[k];
        start.begin = partStart(k);
        start.end = partStart(k + 1);
        start.firstLine = lines + 1;
        for (std::size_t m = 0; m + 1 < plan.size(); ++m) {
            start.offsets[0] += static_cast<std::int64_t>(plan[m].vertices);
            start.offsets[1] += static_cast<std::int64_t>(plan[m].texCoords);
            start.offsets[2] += static_cast<std::int64_t>(plan[m].normals);
        }
        start.counts[0] = plan.back().vertices;
        start.counts[1] = plan.back().texCoords;
        start.counts[2] = plan.back().normals;
        const std::vector<PlannedMesh>& partPlan = counts[k].plan;
        plan.back().vertices += partPlan[0].vertices;
        plan.back().normals += partPlan[0].normals;
        plan.back().texCoords += partPlan[0].texCoords;
        plan.back().faces += partPlan[0].faces;
        plan.insert(plan.end(), partPlan.begin() + 1, partPlan.end());
        lines += counts[k].lines;
    }
    counts.clear();

    ObjParser parser(model, path, folder, mipmaps, lenientMaterials, textures, borders.back(),
                     std::move(plan));
    parser.UseLargePages(false);
    BlockPool pool;
    std::vector<std::unique_ptr<ChunkResult>> results(parts);
    PartQueue reading(parts, 2 * (helperSources.size() + 1));
    reading.ClaimIfNext(0); // the first part is read here
    std::atomic<bool> stopping{false};
    Joined helpers;
    for (const PartSource& source : helperSources) {
        try {
            helpers.threads.emplace_back([&, source] {
                for (std::size_t k = reading.Claim(); k < parts && !stopping; k = reading.Claim()) {
                    ReadPart(source, starts[k], pool, results[k]);
                    reading.Done(k);
                }
            });
        } catch (const std::system_error&) {
            break;
        }
    }
    // However the reading ends, helpers stop taking parts.
    struct Stop {
        std::atomic<bool>& stopping;
        PartQueue& reading;
        ~Stop() {
            stopping = true;
            reading.Close();
        }
    } stop{stopping, reading};

    std::uint64_t lineNumber = 0;
    in.clear(in.rdstate() & std::ios::badbit);
    in.seekg(textStart);
    if (!ReadLines(in, textStart, 0, borders[1], lineNumber, parser)) {
        return PartsRead::stopped;
    }
    // Parts are appended in order. One that a helper is still reading is waited for only when
    // no part is left unclaimed: until then this thread reads the next unclaimed one as a helper
    // would.
    bool lastReadHere = true;
    for (std::size_t k = 1; k < parts;) {
        std::uint64_t from = borders[k];
        reading.Appending(k);
        if (k + 1 == parts) {
            pool.Drain(); // every part is claimed: no more blocks are needed than are out
        }
        if (!reading.ClaimIfNext(k)) {
            if (!reading.IsDone(k)) {
                const std::size_t other = reading.ClaimNear();
                if (other < parts) {
                    ReadPart(here, starts[other], pool, results[other]);
                    reading.Done(other);
                } else {
                    reading.WaitFor(k);
                }
                continue;
            }
            if (results[k]) {
                ChunkResult& result = *results[k];
                const auto appended = parser.AppendChunk(result, starts[k]);
                if (appended == ObjParser::Appended::stop) {
                    return PartsRead::stopped;
                }
                if (appended == ObjParser::Appended::whole) {
                    from = result.stoppedAt - static_cast<std::uint64_t>(textStart);
                    lineNumber = result.stoppedLine - 1;
                }
                results[k].reset(); // its blocks go back before the next part is appended
            }
        }
        lastReadHere = from < borders[k + 1];
        // The last part is read to the stream's end, so that the end is seen as one.
        const std::uint64_t to = k + 1 == parts ? UINT64_MAX : borders[k + 1];
        if (lastReadHere && !ReadLines(in, textStart, from, to, lineNumber, parser)) {
            return PartsRead::stopped;
        }
        ++k;
    }
    // The text read here last must have ended where the stream did.
    readError = in.bad() || (lastReadHere && !ReadToEnd(in));
    if (!readError) {
        parser.Finish();
    }
    return PartsRead::read;
}

} // namespace

ObjModel* ReadModelFromStream(std::istream& in, const std::string& path, bool mipmaps,
                              bool lenientMaterials, const TextureLoader& textures) {
    return ReadModelFromStream(in, path, mipmaps, lenientMaterials, textures, ReadingThreads{});
}

ObjModel* ReadModelFromStream(std::istream& in, const std::string& path, bool mipmaps,
                              bool lenientMaterials, const TextureLoader& textures,
                              const ReadingThreads& threads) {
    const ReturnFreedMemory trim;
    std::cout << "*** Objeto: " << path << "\n";
    ModelOwner model(new (std::nothrow) ObjModel);
    if (!model) {
        return nullptr;
    }
    const std::string folder = FolderOf(path);
    try {
        SkipByteOrderMark(in);
        const std::uint64_t totalBytes = RemainingBytes(in);
        const std::istream::pos_type start =
            totalBytes > 0 ? in.tellg() : std::istream::pos_type(0);
        bool readError = false;
        const std::vector<std::uint64_t> borders = totalBytes > 0
                                                       ? PartBorders(in, start, totalBytes, threads)
                                                       : std::vector<std::uint64_t>{0, UINT64_MAX};
        PartsRead inParts = PartsRead::notRead;
        if (borders.size() > 2) {
            inParts = ReadInParts(in, start, borders, threads, *model, path, folder, mipmaps,
                                  lenientMaterials, textures, readError);
            if (inParts == PartsRead::stopped) {
                return nullptr;
            }
        }
        if (inParts == PartsRead::notRead) {
            std::vector<PlannedMesh> plan;
            if (totalBytes > 0) {
                in.clear(in.rdstate() & std::ios::badbit);
                in.seekg(start);
                plan = CountStatements(in).plan;
                in.clear();
                in.seekg(start); // a read error met by the count is met again by the reading
            }
            ObjParser parser(*model, path, folder, mipmaps, lenientMaterials, textures, totalBytes,
                             std::move(plan));
            std::uint64_t lineNumber = 0;
            if (!ReadLines(in, start, 0, UINT64_MAX, lineNumber, parser)) {
                return nullptr;
            }
            readError = !ReadToEnd(in);
            if (!readError) {
                parser.Finish();
            }
        }
        if (readError) {
            std::cout << "Erro de leitura!!!\n";
            return nullptr;
        }
        modelList.push_back(model.get());
    } catch (const std::bad_alloc&) {
        return nullptr; // a model too large for memory fails like any other load
    }
    return model.release();
}

ObjModel* ReadModel(const std::string& path, const ModelReadOptions& options,
                    const TextureLoader& textures) {
    if (!options.keepMaterials) {
        materialTable.clear(); // the materials themselves stay alive for earlier models
    }
    std::ifstream in(path);
    if (!in.is_open()) {
        return nullptr;
    }
    // A large file is read on every processor (up to eight), each thread with a stream of its
    // own; a small one on this thread alone.
    ReadingThreads threads;
    threads.threads = std::min(8u, std::max(1u, std::thread::hardware_concurrency()));
    threads.file = path;
    return ReadModelFromStream(in, path, options.mipmaps, options.lenientMaterials, textures,
                               threads);
}
