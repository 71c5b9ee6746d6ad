#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

#include <gtest/gtest.h>

#include "toolkit/toolkit.h"

using noise::utils::Color;
using noise::utils::Image;
using noise::utils::NoiseMap;

namespace {

// Lets one set of tests cover both grids, which share their layout and rules.
struct NoiseMapTraits {
    using Grid = NoiseMap;
    using Cell = float;
    static Cell Make(int n) { return static_cast<float>(n) + 0.5f; }
    static bool Same(Cell a, Cell b) { return a == b; }
    static Cell Border(const Grid& grid) { return grid.GetBorderValue(); }
    static void SetBorder(Grid& grid, Cell cell) { grid.SetBorderValue(cell); }
};

struct ImageTraits {
    using Grid = Image;
    using Cell = Color;
    static Cell Make(int n) {
        return Color(static_cast<noise::uint8>(n), static_cast<noise::uint8>(n + 1),
                     static_cast<noise::uint8>(n + 2), static_cast<noise::uint8>(n + 3));
    }
    static bool Same(Cell a, Cell b) { return std::memcmp(&a, &b, sizeof(Color)) == 0; }
    static Cell Border(const Grid& grid) { return grid.GetBorderColor(); }
    static void SetBorder(Grid& grid, Cell cell) { grid.SetBorderColor(cell); }
};

template <class Traits> class GridTest : public ::testing::Test {
protected:
    using Grid = typename Traits::Grid;
    using Cell = typename Traits::Cell;

    static Cell Zero();

    static void Fill(Grid& grid) {
        for (int y = 0; y < grid.GetHeight(); ++y) {
            for (int x = 0; x < grid.GetWidth(); ++x) {
                grid.SetValue(x, y, Traits::Make(x + 10 * y));
            }
        }
    }

    static void ExpectFilled(const Grid& grid) {
        for (int y = 0; y < grid.GetHeight(); ++y) {
            for (int x = 0; x < grid.GetWidth(); ++x) {
                EXPECT_TRUE(Traits::Same(grid.GetValue(x, y), Traits::Make(x + 10 * y)))
                    << "cell " << x << ", " << y;
            }
        }
    }

    static void ExpectEmpty(const Grid& grid) {
        EXPECT_EQ(grid.GetWidth(), 0);
        EXPECT_EQ(grid.GetHeight(), 0);
        EXPECT_EQ(grid.GetStride(), 0);
        EXPECT_EQ(grid.GetCapacity(), 0u);
    }

    static bool IsZeroBorder(const Grid& grid) {
        const Cell border = Traits::Border(grid);
        const unsigned char zeros[4] = {0, 0, 0, 0};
        return std::memcmp(&border, zeros, 4) == 0;
    }
};

template <> NoiseMapTraits::Cell GridTest<NoiseMapTraits>::Zero() {
    return 0.0f;
}
template <> ImageTraits::Cell GridTest<ImageTraits>::Zero() {
    return Color(0, 0, 0, 0);
}

using GridTypes = ::testing::Types<NoiseMapTraits, ImageTraits>;
TYPED_TEST_SUITE(GridTest, GridTypes);

TYPED_TEST(GridTest, NewGridIsEmptyWithZeroBorder) {
    typename TypeParam::Grid grid;
    this->ExpectEmpty(grid);
    EXPECT_TRUE(this->IsZeroBorder(grid));
    // Every read gives the border, every write is ignored.
    grid.SetValue(0, 0, TypeParam::Make(7));
    EXPECT_TRUE(TypeParam::Same(grid.GetValue(0, 0), this->Zero()));
    grid.Clear(TypeParam::Make(7));
    this->ExpectEmpty(grid);
}

TYPED_TEST(GridTest, StrideIsWidthRoundedUpToFourCells) {
    typename TypeParam::Grid grid(5, 3);
    EXPECT_EQ(grid.GetWidth(), 5);
    EXPECT_EQ(grid.GetHeight(), 3);
    EXPECT_EQ(grid.GetStride(), 8);
    EXPECT_EQ(grid.GetCapacity(), 24u);
    EXPECT_EQ(grid.GetRowPtr(2) - grid.GetRowPtr(0), 16);
    EXPECT_EQ(grid.GetValuePtr(3, 1) - grid.GetRowPtr(0), 11);

    grid.SetSize(4, 2);
    EXPECT_EQ(grid.GetStride(), 4);
    grid.SetSize(1, 1);
    EXPECT_EQ(grid.GetStride(), 4);

    typename TypeParam::Grid single(1, 1);
    EXPECT_EQ(single.GetCapacity(), 4u);
}

TYPED_TEST(GridTest, LargestSideIsAcceptedAndBadSizesLeaveGridUnchanged) {
    typename TypeParam::Grid grid(3, 2);
    this->Fill(grid);
    EXPECT_THROW(grid.SetSize(32768, 1), noise::ExceptionInvalidParam);
    EXPECT_THROW(grid.SetSize(1, 32768), noise::ExceptionInvalidParam);
    EXPECT_THROW(grid.SetSize(-1, 5), noise::ExceptionInvalidParam);
    EXPECT_THROW(grid.SetSize(5, -1), noise::ExceptionInvalidParam);
    EXPECT_EQ(grid.GetWidth(), 3);
    EXPECT_EQ(grid.GetHeight(), 2);
    EXPECT_EQ(grid.GetStride(), 4);
    this->ExpectFilled(grid);

    grid.SetSize(32767, 1);
    EXPECT_EQ(grid.GetStride(), 32768);
    EXPECT_EQ(grid.GetCapacity(), 32768u);
}

TYPED_TEST(GridTest, ZeroSideEmptiesAndResetsBorder) {
    typename TypeParam::Grid grid(3, 3);
    TypeParam::SetBorder(grid, TypeParam::Make(42));
    grid.SetSize(0, 7);
    this->ExpectEmpty(grid);
    EXPECT_TRUE(this->IsZeroBorder(grid));
}

TYPED_TEST(GridTest, BufferGrowsOnlyWhenNeededAndShrinksOnRequest) {
    typename TypeParam::Grid grid(8, 8);
    grid.SetSize(2, 2);
    EXPECT_EQ(grid.GetCapacity(), 64u);
    this->Fill(grid);
    grid.ShrinkToFit();
    EXPECT_EQ(grid.GetCapacity(), 8u);
    this->ExpectFilled(grid);
    grid.ShrinkToFit();
    EXPECT_EQ(grid.GetCapacity(), 8u);
}

TYPED_TEST(GridTest, BorderSurvivesResizeInPlaceButNotReallocation) {
    typename TypeParam::Grid source(2, 2);
    TypeParam::SetBorder(source, TypeParam::Make(42));

    typename TypeParam::Grid grid(source);
    grid.SetSize(1, 2);
    EXPECT_TRUE(TypeParam::Same(TypeParam::Border(grid), TypeParam::Make(42)));
    grid.SetSize(8, 8);
    EXPECT_TRUE(this->IsZeroBorder(grid));
}

TYPED_TEST(GridTest, OutsideReadsGiveBorderAndOutsideWritesAreIgnored) {
    typename TypeParam::Grid grid(3, 2);
    this->Fill(grid);
    TypeParam::SetBorder(grid, TypeParam::Make(99));
    const auto border = TypeParam::Make(99);
    EXPECT_TRUE(TypeParam::Same(grid.GetValue(-1, 0), border));
    EXPECT_TRUE(TypeParam::Same(grid.GetValue(3, 0), border));
    EXPECT_TRUE(TypeParam::Same(grid.GetValue(0, 2), border));
    EXPECT_TRUE(TypeParam::Same(grid.GetValue(0, -1), border));
    // Column 3 is a padding cell of row 0: a write there must not land in the buffer.
    grid.SetValue(3, 0, TypeParam::Make(77));
    grid.SetValue(0, 2, TypeParam::Make(77));
    grid.SetValue(-1, 1, TypeParam::Make(77));
    EXPECT_FALSE(TypeParam::Same(*grid.GetValuePtr(3, 0), TypeParam::Make(77)));
    this->ExpectFilled(grid);
}

TYPED_TEST(GridTest, ClearLeavesPaddingCellsAlone) {
    typename TypeParam::Grid grid(5, 2);
    const auto marker = TypeParam::Make(200);
    for (int y = 0; y < 2; ++y) {
        for (int x = 5; x < 8; ++x) {
            *grid.GetValuePtr(x, y) = marker;
        }
    }
    grid.Clear(TypeParam::Make(1));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_TRUE(TypeParam::Same(grid.GetValue(x, y), TypeParam::Make(1)));
        }
        for (int x = 5; x < 8; ++x) {
            EXPECT_TRUE(TypeParam::Same(*grid.GetValuePtr(x, y), marker));
        }
    }
}

TYPED_TEST(GridTest, CopiesAreDeep) {
    typename TypeParam::Grid original(5, 3);
    this->Fill(original);
    TypeParam::SetBorder(original, TypeParam::Make(42));

    typename TypeParam::Grid copy(original);
    EXPECT_NE(copy.GetRowPtr(0), original.GetRowPtr(0));
    this->ExpectFilled(copy);
    EXPECT_TRUE(TypeParam::Same(TypeParam::Border(copy), TypeParam::Make(42)));

    typename TypeParam::Grid assigned(2, 2);
    assigned = original;
    original.Clear(TypeParam::Make(5));
    EXPECT_EQ(assigned.GetWidth(), 5);
    EXPECT_EQ(assigned.GetHeight(), 3);
    this->ExpectFilled(assigned);
    this->ExpectFilled(copy);

    // Assigning a grid to itself keeps its cells.
    auto& self = assigned;
    assigned = self;
    this->ExpectFilled(assigned);

    typename TypeParam::Grid empty;
    TypeParam::SetBorder(empty, TypeParam::Make(42));
    typename TypeParam::Grid emptyCopy(empty);
    this->ExpectEmpty(emptyCopy);
    EXPECT_TRUE(TypeParam::Same(TypeParam::Border(emptyCopy), TypeParam::Make(42)));
}

TYPED_TEST(GridTest, TakeOwnershipMovesBufferButNotBorder) {
    typename TypeParam::Grid source(5, 3);
    this->Fill(source);
    TypeParam::SetBorder(source, TypeParam::Make(42));
    const auto* buffer = source.GetRowPtr(0);

    typename TypeParam::Grid target(2, 2);
    TypeParam::SetBorder(target, TypeParam::Make(7));
    target.TakeOwnership(source);

    this->ExpectEmpty(source);
    EXPECT_TRUE(this->IsZeroBorder(source));
    EXPECT_EQ(target.GetRowPtr(0), buffer);
    EXPECT_EQ(target.GetWidth(), 5);
    EXPECT_EQ(target.GetHeight(), 3);
    EXPECT_EQ(target.GetStride(), 8);
    EXPECT_EQ(target.GetCapacity(), 24u);
    EXPECT_TRUE(TypeParam::Same(TypeParam::Border(target), TypeParam::Make(7)));
    this->ExpectFilled(target);

    target.TakeOwnership(target);
    this->ExpectFilled(target);
}

TYPED_TEST(GridTest, MovesHandOverBufferSizeAndBorderWithoutCopying) {
    using Grid = typename TypeParam::Grid;
    Grid source(5, 3);
    this->Fill(source);
    TypeParam::SetBorder(source, TypeParam::Make(42));
    const auto* buffer = source.GetRowPtr(0);

    Grid constructed(std::move(source));
    Grid assigned(2, 2);
    TypeParam::SetBorder(assigned, TypeParam::Make(7));
    assigned = std::move(constructed);
    for (const Grid* emptied : {&source, &constructed}) {
        this->ExpectEmpty(*emptied);
        EXPECT_TRUE(this->IsZeroBorder(*emptied));
    }
    EXPECT_EQ(assigned.GetRowPtr(0), buffer);
    EXPECT_EQ(assigned.GetStride(), 8);
    EXPECT_EQ(assigned.GetCapacity(), 24u);
    EXPECT_TRUE(TypeParam::Same(TypeParam::Border(assigned), TypeParam::Make(42)));
    this->ExpectFilled(assigned);

    auto& self = assigned;
    assigned = std::move(self);
    EXPECT_EQ(assigned.GetRowPtr(0), buffer);
    this->ExpectFilled(assigned);
    static_assert(std::is_nothrow_move_constructible<Grid>::value &&
                      std::is_nothrow_move_assignable<Grid>::value,
                  "containers of grids move them instead of copying");
}

// Asks for 32767 x 32767 cells (4 GiB) under a 512 MiB address-space limit and reports through
// the exit code how the grid came out of the failure.
template <class Grid> [[noreturn]] void ExitAfterHugeAllocation() {
    struct rlimit limit;
    limit.rlim_cur = 512u << 20;
    limit.rlim_max = 512u << 20;
    setrlimit(RLIMIT_AS, &limit);
    Grid grid(4, 4);
    try {
        grid.SetSize(32767, 32767);
    } catch (const noise::ExceptionOutOfMemory&) {
        std::exit(grid.GetWidth() == 0 && grid.GetCapacity() == 0u ? 3 : 4);
    } catch (...) {
        std::exit(5);
    }
    std::exit(6);
}

TYPED_TEST(GridTest, AllocationFailureThrowsOutOfMemoryAndLeavesGridEmpty) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit allows";
#endif
    // Run in a child so that the limit does not reach the other tests.
    EXPECT_EXIT(ExitAfterHugeAllocation<typename TypeParam::Grid>(), ::testing::ExitedWithCode(3),
                "");
}

} // namespace

TEST(ImageTest, EmptyImageBorderIsTransparentBlack) {
    Image image;
    const Color border = image.GetValue(5, 5);
    EXPECT_EQ(border.red, 0);
    EXPECT_EQ(border.green, 0);
    EXPECT_EQ(border.blue, 0);
    EXPECT_EQ(border.alpha, 0);
}
