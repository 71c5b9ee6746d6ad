// The first count of an OBJ file's statements, and the reading of one part of a file on a thread
// of its own.
#include "model/obj_chunks.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "model/obj_lines.h"
#include "model/obj_text.h"

namespace {

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

} // namespace

// Every list of a mesh gets its room at once from this count: a list that grows step by step is
// copied whole at each step, and the old and the new block are both resident during the copy.
// The line ends are found sixteen bytes at a time where the processor can.
StatementCount CountStatements(std::istream& in) {
    StatementCount count;
    std::vector<PlannedMesh>& plan = count.plan;
    plan.emplace_back();
    constexpr std::size_t carry = 3;           // the bytes after a line end that tell its statement
    constexpr std::size_t blockSize = 1 << 16; // stays in the cache while it is scanned
    std::vector<char> block(carry + blockSize + 8, '\0');
    // The first line starts the text: a line end stands in before it (and is not counted).
    block[carry - 1] = '\n';
    std::size_t start = carry - 1; // where the scan goes on
    std::size_t length = carry;    // bytes held
    std::uint64_t ends = 0;
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
            unsigned found =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineEnd)));
            while (found != 0) {
                ++ends;
                CountStatement(
                    block.data() + i + static_cast<std::size_t>(__builtin_ctz(found)) + 1, plan);
                found &= found - 1;
            }
        }
#endif
        for (; i < scanEnd; ++i) {
            if (block[i] == '\n') {
                ++ends;
                CountStatement(block.data() + i + 1, plan);
            }
        }
        // The last bytes wait for the next block, where their successors are.
        const std::size_t kept = length - scanEnd;
        std::memmove(block.data(), block.data() + scanEnd, kept);
        length = kept;
        start = 0;
    }
    count.lines = ends - 1; // the stand-in before the first line
    return count;
}

namespace {

class ChunkReader {
public:
    ChunkReader(const ChunkStart& start, ChunkResult& result) : m_result(result) {
        for (int k = 0; k < 3; ++k) {
            m_offsets[k] = start.offsets[k];
            m_counts[k] = start.counts[k];
        }
    }

    // False when the line is left to the reader, and the reading stops before it.
    bool Read(std::string_view line, std::uint64_t number) {
        const HotLine hot = HotLineOf(line);
        if (hot == HotLine::none) {
            AddStatement(line, number);
            return true;
        }
        switch (hot) {
        case HotLine::vertex: {
            Vector3 position;
            Vector3 color;
            const bool colored = ReadVertexNumbers(line.substr(2), position, color);
            ChunkItem& run = VertexRun(colored);
            m_result.vertices.Push(position);
            if (colored) {
                m_result.colors.Push(color);
            }
            ++run.counts[0];
            ++m_counts[0];
            return true;
        }
        case HotLine::texCoord: {
            m_result.texCoords.Push(ReadTexCoordNumbers(line.substr(3)));
            ++Run().counts[1];
            ++m_counts[1];
            return true;
        }
        case HotLine::normal: {
            m_result.normals.Push(ReadNormalNumbers(line.substr(3)));
            ++Run().counts[2];
            ++m_counts[2];
            return true;
        }
        default:
            return ReadFace(line.substr(2));
        }
    }

private:
    // The run the line goes into: the current one, or a new one after a statement.
    ChunkItem& Run() {
        std::vector<ChunkItem>& items = m_result.items;
        if (items.empty() || items.back().statement) {
            items.emplace_back();
        }
        return items.back();
    }

    // The run a vertex goes into: a run's vertices all have a colour or none has.
    ChunkItem& VertexRun(bool colored) {
        ChunkItem* run = &Run();
        if (run->counts[0] > 0 && run->colored != colored) {
            m_result.items.emplace_back();
            run = &m_result.items.back();
        }
        run->colored = colored;
        return *run;
    }

    void AddStatement(std::string_view line, std::uint64_t number) {
        ChunkItem item;
        item.statement = true;
        item.textStart = m_result.text.size();
        item.textLength = line.size();
        item.line = number;
        m_result.text.append(line.data(), line.size());
        m_result.items.push_back(item);
        if (StartsWith(line, "g ")) {
            // The group's elements are numbered after all the earlier groups' ones.
            for (int k = 0; k < 3; ++k) {
                m_offsets[k] += static_cast<std::int64_t>(m_counts[k]);
                m_counts[k] = 0;
            }
        }
    }

    bool ReadFace(std::string_view rest) {
        bool hasTexCoords = false;
        bool hasNormals = false;
        const std::size_t corners = ReadFaceNumbers(rest, m_numbers, hasTexCoords, hasNormals);
        ChunkItem& run = Run();
        const std::size_t stride = 1 + (hasTexCoords ? 1 : 0) + (hasNormals ? 1 : 0);
        // A face that a record cannot address is left to the reader, which fails on it.
        if (corners > ObjFace::maxCorners || run.indices > UINT32_MAX ||
            corners * stride > UINT32_MAX - run.indices) {
            return false;
        }
        const std::size_t borrowsBefore = m_result.borrows.size();
        int* numbers = m_numbers.data();
        const std::size_t kept = ResolveFaceNumbers(
            numbers, corners, hasTexCoords, hasNormals, [&](int number, int kind, int corner) {
                std::int64_t borrowed = -1;
                const int index = ResolveNumber(number, m_offsets[kind], m_counts[kind], borrowed);
                if (borrowed >= 0) {
                    m_result.borrows.push_back(ChunkBorrow{run.faces, corner, kind, borrowed});
                }
                return index;
            });
        ObjFace face;
        face.firstIndex = static_cast<std::uint32_t>(run.indices);
        face.shape = static_cast<std::uint32_t>(corners << 2) |
                     (hasTexCoords ? ObjFace::texCoordsFlag : 0) |
                     (hasNormals ? ObjFace::normalsFlag : 0);
        m_result.faces.Push(face);
        m_result.indices.Push(numbers, kept);
        ++run.faces;
        run.indices += kept;
        run.borrows += m_result.borrows.size() - borrowsBefore;
        return true;
    }

    ChunkResult& m_result;
    std::int64_t m_offsets[3];
    std::size_t m_counts[3];
    std::vector<int> m_numbers = std::vector<int>(12);
};

// The lines of a part as LineReader hands out the lines of a stream, each with 8 bytes readable
// past its end.
class PartLines {
public:
    explicit PartLines(const PartText& text) : m_text(text) {}

    bool Next(std::string_view& line) {
        if (m_position >= m_text.size) {
            return false;
        }
        const std::size_t lineStart = m_position;
        const char* start = m_text.data + lineStart;
        const std::size_t available = m_text.size - lineStart;
        const void* newline = std::memchr(start, '\n', available);
        const std::size_t size =
            newline != nullptr ? static_cast<std::size_t>(static_cast<const char*>(newline) - start)
                               : available;
        m_position += newline != nullptr ? size + 1 : size;
        if (lineStart + size + LineReader::readAhead > m_text.readable) {
            // Too close to the end of what may be read: a copy with room after it.
            m_copy.assign(start, size);
            m_copy.append(LineReader::readAhead, '\0');
            line = std::string_view(m_copy.data(), size);
        } else {
            line = std::string_view(start, size);
        }
        return true;
    }

    std::size_t Consumed() const { return m_position; }

private:
    const PartText& m_text;
    std::size_t m_position = 0;
    std::string m_copy;
};

} // namespace

StatementCount CountStatements(const PartText& text) {
    StatementCount count;
    count.plan.emplace_back();
    // The first three bytes of the line at offset, with zeros past the part's end.
    const auto countAt = [&](std::size_t offset) {
        if (offset + 3 <= text.size) {
            CountStatement(text.data + offset, count.plan);
        } else if (offset < text.size) {
            char head[3] = {};
            std::memcpy(head, text.data + offset, text.size - offset);
            CountStatement(head, count.plan);
        }
    };
    countAt(0);
    std::size_t i = 0;
#ifdef __SSE2__
    const __m128i lineEnd = _mm_set1_epi8('\n');
    for (; i + 16 <= text.size; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data + i));
        unsigned found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineEnd)));
        while (found != 0) {
            ++count.lines;
            countAt(i + static_cast<std::size_t>(__builtin_ctz(found)) + 1);
            found &= found - 1;
        }
    }
#endif
    for (; i < text.size; ++i) {
        if (text.data[i] == '\n') {
            ++count.lines;
            countAt(i + 1);
        }
    }
    return count;
}

void ReadChunk(const PartText& text, const ChunkStart& start, ChunkResult& result) {
    result.stoppedAt = start.begin;
    result.stoppedLine = start.firstLine;
    try {
        PartLines lines(text);
        ChunkReader reader(start, result);
        std::uint64_t number = start.firstLine;
        std::string_view line;
        while (lines.Next(line)) {
            const std::uint64_t lineNumber = number++;
            if (line.empty()) {
                result.stoppedAt = start.begin + lines.Consumed();
                result.stoppedLine = number;
                continue;
            }
            if (line.back() == '\r') {
                line.remove_suffix(1);
            }
            // Comments and indented statements are skipped.
            if (!(!line.empty() && (line[0] == '#' || line[0] == ' ')) &&
                !reader.Read(line, lineNumber)) {
                return; // stopped before this line
            }
            // Read: the reading goes on after it.
            result.stoppedAt = start.begin + lines.Consumed();
            result.stoppedLine = number;
        }
    } catch (const std::bad_alloc&) {
        // Whatever the failing line added is past every run's counts, and never taken.
    }
}
