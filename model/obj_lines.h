// The OBJ statements that make up most of a large file (elements and faces): how a line is told
// to be one, how its numbers are read and how a face's numbers become mesh-local indices. Shared
// by the reader and by the threads that read parts of a file beside it, so that both give the
// same records. Private to model/.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/obj_text.h"
#include "model/records.h"

// Elements and faces are told apart by their first characters, before anything else is tried.
enum class HotLine { none, vertex, texCoord, normal, face };

inline HotLine HotLineOf(std::string_view line) {
    if (line.size() < 2 || (line[0] != 'v' && line[0] != 'f')) {
        return HotLine::none;
    }
    if (line[1] == ' ') {
        return line[0] == 'v' ? HotLine::vertex : HotLine::face;
    }
    if (line[0] == 'v' && line.size() >= 3 && line[2] == ' ') {
        return line[1] == 't'   ? HotLine::texCoord
               : line[1] == 'n' ? HotLine::normal
                                : HotLine::none;
    }
    return HotLine::none;
}

// "v x y z [r g b]": a colour only when all three of its numbers read. The rest is the line after
// "v ", as a LineReader hands it out (8 bytes past its end readable).
inline bool ReadVertexNumbers(std::string_view rest, Vector3& position, Vector3& color) {
    FloatScanner numbers(rest, true);
    numbers.Read(position.x);
    numbers.Read(position.y);
    numbers.Read(position.z);
    color = Vector3{1.0f, 1.0f, 1.0f};
    return numbers.Read(color.x) && numbers.Read(color.y) && numbers.Read(color.z);
}

inline Vector3 ReadNormalNumbers(std::string_view rest) {
    Vector3 n;
    FloatScanner numbers(rest, true);
    numbers.Read(n.x);
    numbers.Read(n.y);
    numbers.Read(n.z);
    return n; // kept as written, not normalised
}

inline TexCoord ReadTexCoordNumbers(std::string_view rest) {
    TexCoord t{0.0f, 0.0f, 0.0f};
    FloatScanner numbers(rest, true);
    numbers.Read(t.u);
    numbers.Read(t.v);
    numbers.Read(t.w);
    return t;
}

// The numbers of a face line as written: three per corner (vertex, texture, normal; a missing
// part is 0, which no list has), into numbers, which grows as needed. Corners are separated by
// single blanks (runs of blanks leave empty tokens, which are no corners); each corner is
// vertex[/texcoord[/normal]], further parts ignored. Returns the number of corners.
inline std::size_t ReadFaceNumbers(std::string_view rest, std::vector<int>& numbers,
                                   bool& hasTexCoords, bool& hasNormals) {
    hasTexCoords = false;
    hasNormals = false;
    const char* p = rest.data();
    const char* const end = p + rest.size();
    std::size_t corner = 0;
    while (p < end) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        if (3 * corner + 3 > numbers.size()) {
            numbers.resize(numbers.size() * 2 + 12);
        }
        int* const slot = numbers.data() + 3 * corner;
        slot[0] = slot[1] = slot[2] = 0;
        int parts = 0;
        for (;;) {
            const int number = ReadCornerPart(p, end, true); // a LineReader's line
            if (parts < 3) {
                slot[parts] = number;
            }
            ++parts;
            if (p == end || *p == ' ') {
                break;
            }
            ++p; // the '/'
        }
        hasTexCoords = hasTexCoords || parts >= 2;
        hasNormals = hasNormals || parts >= 3;
        ++corner;
    }
    return corner;
}

// Whatever falls outside the mesh's list is kept, clamped to int, for the users of the face to
// reject.
inline int Clamped(std::int64_t index) {
    if (index > INT32_MAX) {
        return INT32_MAX;
    }
    if (index < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int>(index);
}

// A file number made local to the current mesh: positive numbers count from the start of the
// model, negative ones back from the most recent element read. Not clamped: a negative result
// names an element of an earlier mesh (or nothing, before the model's first element).
inline std::int64_t LocalIndex(int number, std::int64_t offset, std::size_t meshCount) {
    return number < 0 ? static_cast<std::int64_t>(meshCount) + number
                      : static_cast<std::int64_t>(number) - 1 - offset;
}

// The mesh-local index of one corner's number, given the model-wide index of the mesh's first
// element of the kind (offset) and how many it has read so far. An element of an earlier mesh
// is copied into the mesh when it is finished: then the result is -1 and borrowed is set to its
// model-wide index. The common case, a positive number of the mesh's own, is worked out first.
inline int ResolveNumber(int number, std::int64_t offset, std::size_t meshCount,
                         std::int64_t& borrowed) {
    if (number > offset) {
        return static_cast<int>(number - 1 - offset);
    }
    const std::int64_t local = LocalIndex(number, offset, meshCount);
    if (number == 0 || local >= 0 || offset + local < 0) {
        return Clamped(local);
    }
    borrowed = offset + local;
    return -1;
}

// Turns the numbers of a face (three per corner, as ReadFaceNumbers leaves them) into the
// indices the face keeps: per corner the vertex's, then the texture coordinate's and the
// normal's when the face has them, packed to the front. resolve(number, kind, corner) gives an
// index, kind 0 for vertices, 1 for texture coordinates, 2 for normals, called corner by corner
// in that order. Returns how many indices the face keeps.
template <typename Resolve>
inline std::size_t ResolveFaceNumbers(int* numbers, std::size_t corners, bool hasTexCoords,
                                      bool hasNormals, Resolve resolve) {
    std::size_t kept = 0;
    for (std::size_t j = 0; j < corners; ++j) {
        // Read before written: the packed indices never run ahead of the corner read.
        const int vertex = numbers[3 * j];
        const int texCoord = numbers[3 * j + 1];
        const int normal = numbers[3 * j + 2];
        const int corner = static_cast<int>(j);
        numbers[kept++] = resolve(vertex, 0, corner);
        if (hasTexCoords) {
            numbers[kept++] = resolve(texCoord, 1, corner);
        }
        if (hasNormals) {
            numbers[kept++] = resolve(normal, 2, corner);
        }
    }
    return kept;
}
