// The OBJ reader when memory runs out: every allocation of a load is made to fail in turn, and the
// load must give up cleanly, freeing each thing it built exactly once. The allocation functions
// are replaced for the whole test program: every block carries a mark, and while a sweep runs the
// blocks it frees are kept (marked as freed) so that a second release of one is seen rather than
// corrupting the heap.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <new>
#include <sstream>
#include <streambuf>

#include "model/obj_stream.h"
#include "model/reading.h"

namespace {

constexpr std::uint64_t liveMark = 0x4C6976654C697665;  // "LiveLive"
constexpr std::uint64_t freedMark = 0x4672656546726565; // "FreeFree"

struct alignas(alignof(std::max_align_t)) BlockHeader {
    std::uint64_t mark;
};

long allocationsLeft = -1; // the next allocation that fails, counted down; -1 never
bool keepFreedBlocks = false;
long doubleReleases = 0;

void* Allocate(std::size_t size) {
    if (allocationsLeft == 0) {
        throw std::bad_alloc();
    }
    if (allocationsLeft > 0) {
        --allocationsLeft;
    }
    auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (header == nullptr) {
        throw std::bad_alloc();
    }
    header->mark = liveMark;
    return header + 1;
}

void Release(void* block) noexcept {
    if (block == nullptr) {
        return;
    }
    BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
    if (header->mark != liveMark) {
        ++doubleReleases;
        return;
    }
    header->mark = freedMark;
    if (!keepFreedBlocks) {
        std::free(header);
    }
}

// Swallows the reader's transcript without allocating.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Release(block);
}

namespace {

// Three meshes, the later ones borrowing vertices of the earlier: starting each one allocates.
constexpr const char* threeGroups = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"
                                    "g a\nv 0 0 1\nf 1 2 4\n"
                                    "g b\nvt 0 0\nf -1/1 -2/1 -3/1\n";

TEST(ObjReaderOutOfMemory, EveryFailedAllocationFreesWhatTheLoadBuiltOnce) {
    NullBuffer discard;
    std::streambuf* const console = std::cout.rdbuf(&discard);
    int failedLoads = 0;
    bool loaded = false;
    for (long failAt = 0; failAt < 5000 && !loaded; ++failAt) {
        std::istringstream in(threeGroups);
        keepFreedBlocks = true;
        allocationsLeft = failAt;
        ObjModel* model = ReadModelFromStream(in, "m.obj", false, false, TextureLoader());
        const bool failureInjected = allocationsLeft == 0;
        allocationsLeft = -1;
        keepFreedBlocks = false;
        if (model == nullptr) {
            EXPECT_TRUE(failureInjected) << "a load without a failed allocation failed";
            ++failedLoads;
        } else {
            loaded = !failureInjected;
            UnloadModel(model);
        }
        ASSERT_EQ(doubleReleases, 0)
            << "a block was freed twice when allocation " << failAt << " failed";
    }
    std::cout.rdbuf(console);
    EXPECT_TRUE(loaded) << "the load never got through";
    EXPECT_GT(failedLoads, 10); // the sweep did reach into the meshes
}

} // namespace
