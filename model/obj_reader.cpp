// The Wavefront OBJ reader.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <malloc.h>
#include <memory>
#include <new>
#include <unordered_map>
#include <utility>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "common/diagnostics.h"
#include "model/large_pages.h"
#include "model/material_names.h"
#include "model/obj_stream.h"
#include "model/obj_text.h"
#include "model/reading.h"

namespace {

struct ModelDeleter {
    void operator()(ObjModel* model) const { DeleteModel(model); }
};
using ModelOwner = std::unique_ptr<ObjModel, ModelDeleter>;

// A file number made local to the current mesh: positive numbers count from the start of the
// model, negative ones back from the most recent element read. Not clamped: a negative result
// names an element of an earlier mesh (or nothing, before the model's first element).
std::int64_t LocalIndex(int number, std::int64_t offset, std::size_t meshCount) {
    return number < 0 ? static_cast<std::int64_t>(meshCount) + number
                      : static_cast<std::int64_t>(number) - 1 - offset;
}

// Whatever falls outside the mesh's list is kept, clamped to int, for the users of the face to
// reject.
int Clamped(std::int64_t index) {
    if (index > INT32_MAX) {
        return INT32_MAX;
    }
    if (index < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int>(index);
}

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

// How many vertices, normals, texture coordinates and faces one stretch of the file holds, from
// a group line (or the start) to the next group line.
struct PlannedMesh {
    std::size_t vertices = 0;
    std::size_t normals = 0;
    std::size_t texCoords = 0;
    std::size_t faces = 0;
};

// Counts the statement whose line starts at p, with its first three bytes readable (a line end
// or the end of the text among them reads as no blank).
inline void CountStatement(const char* p, std::vector<PlannedMesh>& plan) {
    const char first = p[0];
    const char second = p[1];
    PlannedMesh& mesh = plan.back();
    if (first == 'v') {
        if (second == ' ') {
            ++mesh.vertices;
        } else if (p[2] == ' ') {
            mesh.normals += second == 'n' ? 1 : 0;
            mesh.texCoords += second == 't' ? 1 : 0;
        }
    } else if (first == 'f') {
        mesh.faces += second == ' ' ? 1 : 0;
    } else if (first == 'g' && second == ' ') {
        plan.emplace_back();
    }
}

// A first quick pass over a file that can be read again: the statements of each kind between
// group lines, so that every list of a mesh gets its room at once. A list that grows step by
// step is copied whole at each step, and the old and the new block are both resident during
// the copy. Lines are told apart by their first characters as the reader tells them apart;
// the line ends are found sixteen bytes at a time where the processor can.
std::vector<PlannedMesh> CountStatements(std::istream& in) {
    std::vector<PlannedMesh> plan(1);
    constexpr std::size_t carry = 3;           // the bytes after a line end that tell its statement
    constexpr std::size_t blockSize = 1 << 16; // stays in the cache while it is scanned
    std::vector<char> block(carry + blockSize + 8, '\0');
    // The first line starts the text: a line end stands in before it.
    block[carry - 1] = '\n';
    std::size_t start = carry - 1; // where the scan goes on
    std::size_t length = carry;    // bytes held
    for (bool more = true; more;) {
        in.read(block.data() + length, static_cast<std::streamsize>(blockSize + carry - length));
        const std::size_t got = static_cast<std::size_t>(in.gcount());
        more = in.good() && got > 0;
        length += got;
        // At the end of the text no line end is waiting for its next bytes: scan to the end.
        std::fill(block.begin() + static_cast<std::ptrdiff_t>(length),
                  block.begin() + static_cast<std::ptrdiff_t>(length + carry), '\0');
        const std::size_t scanEnd = more ? length - carry : length;
        std::size_t i = start;
#ifdef __SSE2__
        const __m128i lineEnd = _mm_set1_epi8('\n');
        for (; i + 16 <= scanEnd; i += 16) {
            const __m128i bytes =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(block.data() + i));
            unsigned ends =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineEnd)));
            while (ends != 0) {
                CountStatement(block.data() + i + static_cast<std::size_t>(__builtin_ctz(ends)) + 1,
                               plan);
                ends &= ends - 1;
            }
        }
#endif
        for (; i < scanEnd; ++i) {
            if (block[i] == '\n') {
                CountStatement(block.data() + i + 1, plan);
            }
        }
        // The last bytes wait for the next block, where their successors are.
        const std::size_t kept = length - scanEnd;
        std::memmove(block.data(), block.data() + scanEnd, kept);
        length = kept;
        start = 0;
    }
    return plan;
}

class ObjParser {
public:
    ObjParser(ObjModel& model, const std::string& path, const std::string& folder, bool mipmaps,
              bool lenientMaterials, const TextureLoader& textures, const LineReader& lines,
              std::uint64_t totalBytes, std::vector<PlannedMesh> plan)
        : m_model(model), m_path(path), m_folder(folder), m_mipmaps(mipmaps),
          m_lenientMaterials(lenientMaterials), m_textures(textures), m_lines(lines),
          m_totalBytes(totalBytes), m_plan(std::move(plan)) {}

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

private:
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
    // The common case, a positive number of the mesh's own, is worked out on the spot.
    template <typename Element>
    int CornerIndex(int number, std::int64_t offset, std::vector<Element> ObjMesh::*list,
                    BorrowedElements<Element>& borrowed, int corner) {
        if (number > offset) {
            return static_cast<int>(number - 1 - offset);
        }
        return OtherCornerIndex(number, offset, list, borrowed, corner);
    }

    template <typename Element>
    int OtherCornerIndex(int number, std::int64_t offset, std::vector<Element> ObjMesh::*list,
                         BorrowedElements<Element>& borrowed, int corner) {
        const std::int64_t local = LocalIndex(number, offset, ((*m_mesh).*list).size());
        if (number == 0 || local >= 0 || offset + local < 0) {
            return Clamped(local);
        }
        const int slot = borrowed.Borrow(m_model, list, offset + local);
        borrowed.Refer(m_mesh->faces.size(), corner, slot);
        return -1; // replaced when the mesh is finished
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
        FloatScanner numbers(rest, true); // lines of a LineReader
        numbers.Read(v.x);
        numbers.Read(v.y);
        numbers.Read(v.z);
        MakeRoom(m_mesh->vertices, 1, m_listStarts[0]);
        m_mesh->vertices.push_back(v);
        // "v x y z r g b": a colour, whose list starts with the first coloured vertex and
        // then keeps pace with the vertices (white for those without).
        Vector3 color{1.0f, 1.0f, 1.0f};
        if (numbers.Read(color.x) && numbers.Read(color.y) && numbers.Read(color.z)) {
            m_colorsRead = true;
            Plan(m_mesh->colors, m_segment < m_plan.size() ? m_plan[m_segment].vertices : 0);
            m_mesh->colors.resize(m_mesh->vertices.size() - 1, Vector3{1.0f, 1.0f, 1.0f});
            m_mesh->colors.push_back(color);
        } else if (!m_mesh->colors.empty()) {
            m_mesh->colors.push_back(Vector3{1.0f, 1.0f, 1.0f});
        }
        // The limits restart with every mesh, so they describe the last mesh read.
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
        Vector3 n;
        FloatScanner numbers(rest, true); // lines of a LineReader
        numbers.Read(n.x);
        numbers.Read(n.y);
        numbers.Read(n.z);
        MakeRoom(m_mesh->normals, 1, m_listStarts[1]);
        m_mesh->normals.push_back(n); // kept as written, not normalised
    }

    void ReadTexCoord(std::string_view rest) {
        TexCoord t{0.0f, 0.0f, 0.0f};
        FloatScanner numbers(rest, true); // lines of a LineReader
        numbers.Read(t.u);
        numbers.Read(t.v);
        numbers.Read(t.w);
        MakeRoom(m_mesh->texCoords, 1, m_listStarts[2]);
        m_mesh->texCoords.push_back(t);
    }

    // Corners are separated by single blanks (runs of blanks leave empty tokens, which are no
    // corners); each corner is vertex[/texcoord[/normal]], further parts ignored.
    void ReadFace(std::string_view rest) {
        bool hasTexCoords = false;
        bool hasNormals = false;
        const char* p = rest.data();
        const char* const end = p + rest.size();
        int corner = 0;
        // vertex, texture and normal index of every corner
        int* out = m_corners.data();
        while (p < end) {
            if (*p == ' ') {
                ++p;
                continue;
            }
            int numbers[3] = {0, 0, 0}; // a missing part counts as 0, which no list has
            int parts = 0;
            for (;;) {
                const int number = ReadCornerPart(p, end, true); // a LineReader's line
                if (parts < 3) {
                    numbers[parts] = number;
                }
                ++parts;
                if (p == end || *p == ' ') {
                    break;
                }
                ++p; // the '/'
            }
            hasTexCoords = hasTexCoords || parts >= 2;
            hasNormals = hasNormals || parts >= 3;
            if (static_cast<std::size_t>(3 * corner + 3) > m_corners.size()) {
                m_corners.resize(m_corners.size() * 2 + 12);
                out = m_corners.data();
            }
            int* const slot = out + 3 * corner;
            slot[0] = CornerIndex(numbers[0], m_vertexOffset, &ObjMesh::vertices,
                                  m_borrowedVertices, corner);
            slot[1] = CornerIndex(numbers[1], m_texCoordOffset, &ObjMesh::texCoords,
                                  m_borrowedTexCoords, corner);
            slot[2] = CornerIndex(numbers[2], m_normalOffset, &ObjMesh::normals, m_borrowedNormals,
                                  corner);
            ++corner;
        }
        const std::size_t corners = static_cast<std::size_t>(corner);
        // Only the numbers the face has go into the mesh's index list.
        std::size_t kept = 3 * corners;
        if (!hasTexCoords || !hasNormals) {
            kept = 0;
            for (std::size_t j = 0; j < corners; ++j) {
                m_corners[kept++] = m_corners[3 * j];
                if (hasTexCoords) {
                    m_corners[kept++] = m_corners[3 * j + 1];
                }
                if (hasNormals) {
                    m_corners[kept++] = m_corners[3 * j + 2];
                }
            }
        }
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
        if (!m_mesh->AddInterleavedFace(m_corners.data(), corners, hasTexCoords, hasNormals,
                                        m_materialIndex)) {
            throw std::bad_alloc();
        }
        if (m_smoothingRead) {
            // Faces read before the first "s" are not smoothed.
            std::vector<std::uint32_t>& groups = m_mesh->smoothingGroups;
            if (groups.size() + 1 != m_mesh->faces.size()) {
                Plan(groups, m_plannedFaces);
                groups.resize(m_mesh->faces.size() - 1, 0);
            }
            groups.push_back(m_smoothingGroup);
        }
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
            listStart = m_lines.Consumed();
        }
        if (size + adding <= list.capacity()) {
            return;
        }
        std::size_t planned = std::max(size * 2, size + adding);
        const std::uint64_t consumed = m_lines.Consumed();
        if (m_totalBytes > consumed && consumed > listStart && size * sizeof(T) >= (1u << 20)) {
            const double rate =
                static_cast<double>(size) / static_cast<double>(consumed - listStart);
            const double projected = static_cast<double>(size + adding) +
                                     rate * static_cast<double>(m_totalBytes - consumed) * 1.02;
            const std::size_t least = size + std::max(adding, size / 4);
            planned = std::max(least, std::min(static_cast<std::size_t>(projected), size * 8));
        }
        list.reserve(planned);
        AskForLargePages(list.data(), list.capacity() * sizeof(T));
    }

    // Room for exactly count elements; large lists on large pages.
    template <typename T> static void Plan(std::vector<T>& list, std::size_t count) {
        if (count > list.capacity()) {
            list.reserve(count);
            AskForLargePages(list.data(), list.capacity() * sizeof(T));
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
    const LineReader& m_lines;
    const std::uint64_t m_totalBytes; // 0 when the stream cannot tell
    // Where the current mesh's vertices, normals, coordinates, faces and indices began.
    std::uint64_t m_listStarts[5] = {};
    std::vector<int> m_corners; // reused by every face line
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

} // namespace

ObjModel* ReadModelFromStream(std::istream& in, const std::string& path, bool mipmaps,
                              bool lenientMaterials, const TextureLoader& textures) {
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
        std::vector<PlannedMesh> plan;
        if (totalBytes > 0) {
            const std::istream::pos_type start = in.tellg();
            plan = CountStatements(in);
            in.clear();
            in.seekg(start); // a read error met by the count is met again by the reading
        }
        LineReader lines(in);
        ObjParser parser(*model, path, folder, mipmaps, lenientMaterials, textures, lines,
                         totalBytes, std::move(plan));
        std::string_view line;
        std::uint64_t lineNumber = 0;
        while (lines.Next(line)) {
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
            if (!parser.ReadLine(line)) {
                return nullptr;
            }
        }
        if (!ReadToEnd(in)) {
            std::cout << "Erro de leitura!!!\n";
            return nullptr;
        }
        parser.Finish();
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
    return ReadModelFromStream(in, path, options.mipmaps, options.lenientMaterials, textures);
}
