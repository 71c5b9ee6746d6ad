// Reading a large OBJ file in parts at once. A first quick count tells, for every part, the state
// the reader will be in where the part starts (the group it is in, how many elements the group
// and the groups before it hold); each part after the first is then read on a thread of its own
// into the records it adds, which the reader appends, in order, when it reaches the part.
// Statements other than elements and faces are kept as text and read by the reader itself, so
// that materials, groups and reports come out exactly as a reading line by line gives them.
// Private to model/.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <vector>

#include "model/records.h"

// How many vertices, normals, texture coordinates and faces one stretch of the file holds, from
// a group line (or the start) to the next group line.
struct PlannedMesh {
    std::size_t vertices = 0;
    std::size_t normals = 0;
    std::size_t texCoords = 0;
    std::size_t faces = 0;
};

struct StatementCount {
    std::vector<PlannedMesh> plan; // one entry, and one more per group line
    std::uint64_t lines = 0;       // line ends
};

// A quick pass over the stream: the statements of each kind between group lines, told apart by
// their first characters as the reader tells them apart.
StatementCount CountStatements(std::istream& in);

// The bytes of one part of a text in memory: size bytes, of which readable from data on may be
// read (a line's scan looks up to 8 bytes past its end; a line closer to the end than that is
// copied first). Parts start at line starts and end after a line end or at the text's end.
struct PartText {
    const char* data = nullptr;
    std::size_t size = 0;
    std::size_t readable = 0;
};

// CountStatements over one part.
StatementCount CountStatements(const PartText& text);

// The blocks that parts' records are kept in until they are appended. Emptied blocks come back
// here to be filled again, so that their pages are touched (a costly trap each) only once; the
// few beyond what the parts in flight need go back to the system.
class BlockPool {
public:
    static constexpr std::size_t blockBytes = std::size_t(1) << 18;

    BlockPool() = default;
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;
    ~BlockPool() {
        for (void* block : m_free) {
            munmap(block, blockBytes);
        }
    }

    void* Get() {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_free.empty()) {
                void* block = m_free.back();
                m_free.pop_back();
                return block;
            }
        }
        void* block =
            mmap(nullptr, blockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED) {
            throw std::bad_alloc();
        }
        return block;
    }

    // From now on no block is kept: the last records are being taken.
    void Drain() {
        std::vector<void*> free;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_kept = 0;
            free.swap(m_free);
        }
        for (void* block : free) {
            munmap(block, blockBytes);
        }
    }

    void Put(void* block) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_free.size() < m_kept) {
                m_free.push_back(block);
                return;
            }
        }
        munmap(block, blockBytes);
    }

private:
    std::size_t m_kept = 8; // 2 MB
    std::mutex m_mutex;
    std::vector<void*> m_free;
};

// A list filled on one thread and emptied in order on another, in blocks of mapped pages that go
// back to the system as soon as they are emptied: a part's records and the mesh lists they are
// appended to are never both resident.
template <typename T> class Blocks {
public:
    static constexpr std::size_t perBlock = BlockPool::blockBytes / sizeof(T);

    explicit Blocks(BlockPool& pool) : m_pool(pool) {}
    Blocks(const Blocks&) = delete;
    Blocks& operator=(const Blocks&) = delete;
    ~Blocks() {
        for (std::size_t b = m_taken; b < m_blocks.size(); ++b) {
            m_pool.Put(m_blocks[b]);
        }
    }

    void Push(const T& value) {
        if (m_fill == perBlock || m_blocks.empty()) {
            AddBlock();
        }
        m_blocks.back()[m_fill++] = value;
    }

    void Push(const T* values, std::size_t count) {
        while (count > 0) {
            if (m_fill == perBlock || m_blocks.empty()) {
                AddBlock();
            }
            const std::size_t n = std::min(count, perBlock - m_fill);
            std::memcpy(m_blocks.back() + m_fill, values, n * sizeof(T));
            m_fill += n;
            values += n;
            count -= n;
        }
    }

    // Hands the next count values to take(pointer, n) in spans, giving emptied blocks back.
    template <typename Use> void Take(std::size_t count, Use take) {
        while (count > 0 && m_taken < m_blocks.size()) {
            const std::size_t filled = m_taken + 1 == m_blocks.size() ? m_fill : perBlock;
            const std::size_t n = std::min(count, filled - m_position);
            if (n == 0) {
                return; // more than was pushed: nothing to hand out
            }
            take(static_cast<const T*>(m_blocks[m_taken] + m_position), n);
            m_position += n;
            count -= n;
            if (m_position == perBlock) {
                m_pool.Put(m_blocks[m_taken]);
                ++m_taken;
                m_position = 0;
            }
        }
    }

private:
    void AddBlock() {
        m_blocks.reserve(m_blocks.size() + 1);
        m_blocks.push_back(static_cast<T*>(m_pool.Get()));
        m_fill = 0;
    }

    BlockPool& m_pool;
    std::vector<T*> m_blocks;
    std::size_t m_fill = 0;     // values in the last block
    std::size_t m_taken = 0;    // blocks emptied and given back
    std::size_t m_position = 0; // the next value to take in the first block kept
};

// Where a part starts and the reader's state there, from the first count.
struct ChunkStart {
    std::uint64_t begin = 0; // stream positions of the part's first byte and of the byte after it
    std::uint64_t end = 0;
    std::uint64_t firstLine = 1;
    // The model-wide number of the current group's first vertex, texture coordinate and normal,
    // and how many of each the group holds before the part.
    std::int64_t offsets[3] = {};
    std::size_t counts[3] = {};
};

// A corner that names an element of an earlier group: it is copied in when the group ends.
struct ChunkBorrow {
    std::size_t face; // in its run
    int corner;
    int kind; // 0 vertex, 1 texture coordinate, 2 normal
    std::int64_t global;
};

// One run of element and face lines with no other statement between them, or one statement.
struct ChunkItem {
    bool statement = false;
    // a statement: its text in ChunkResult::text and its line number
    std::size_t textStart = 0;
    std::size_t textLength = 0;
    std::uint64_t line = 0;
    // a run: how many records of each kind it adds (vertices, texture coordinates, normals)
    std::size_t counts[3] = {};
    std::size_t faces = 0;
    std::size_t indices = 0;
    std::size_t borrows = 0;
    bool colored = false; // every vertex of the run has a colour, none otherwise
};

struct ChunkResult {
    explicit ChunkResult(BlockPool& pool)
        : vertices(pool), colors(pool), texCoords(pool), normals(pool), faces(pool), indices(pool) {
    }

    std::vector<ChunkItem> items;
    std::string text; // of the statements
    Blocks<Vector3> vertices;
    Blocks<Vector3> colors;
    Blocks<TexCoord> texCoords;
    Blocks<Vector3> normals;
    Blocks<ObjFace> faces; // firstIndex counts from the run's first index, no material yet
    Blocks<int> indices;   // mesh-local; -1 where a corner borrows
    std::vector<ChunkBorrow> borrows;
    // Where reading stopped: the part's end, or earlier at a line this reading leaves to the
    // reader (a face beyond what a record holds) or when the stream failed.
    std::uint64_t stoppedAt = 0;
    std::uint64_t stoppedLine = 0; // the number of the line there
};

// Reads the part that start describes, whose bytes text holds, into result. Never throws:
// running out of memory stops the reading where it is, and the reader goes on from there.
void ReadChunk(const PartText& text, const ChunkStart& start, ChunkResult& result);
