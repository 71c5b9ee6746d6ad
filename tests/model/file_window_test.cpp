// Mapped stretches of a file: the bytes they show, and a file cut short while it is mapped.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "model/file_window.h"

namespace {

class FileWindowTest : public testing::Test {
protected:
    void SetUp() override {
        page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        for (std::size_t i = 0; i < 3 * page + 100; ++i) {
            text += static_cast<char>('a' + i % 26);
        }
        char name[] = "/tmp/file_window_testXXXXXX";
        file = mkstemp(name);
        ASSERT_GE(file, 0);
        path = name;
        ASSERT_EQ(write(file, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void TearDown() override {
        close(file);
        std::remove(path.c_str());
    }

    std::size_t page = 4096;
    std::string text;
    std::string path;
    int file = -1;
};

TEST_F(FileWindowTest, WindowsShowTheirStretchAndWhatFollowsUpToTheFileEnd) {
    const struct {
        std::uint64_t begin, end;
        std::size_t extra;
        std::size_t readable; // at least
    } cases[] = {
        {0, 10, 0, 10},
        {page - 3, page + 5, 8, 16},            // across a page border, not on one
        {3 * page + 90, 3 * page + 100, 8, 10}, // the extra bytes lie past the end
        {17, 3 * page + 100, 0, 3 * page + 83},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.begin) + ".." + std::to_string(c.end));
        FileWindow window;
        ASSERT_TRUE(window.Map(file, c.begin, c.end, text.size(), c.extra));
        ASSERT_GE(window.Readable(), c.readable);
        EXPECT_EQ(std::string(window.Data(), c.readable), text.substr(c.begin, c.readable));
        EXPECT_FALSE(window.Cut());
    }
    FileWindow window;
    EXPECT_FALSE(window.Map(file, 10, text.size() + 1, text.size(), 0)) << "past the end";
}

TEST_F(FileWindowTest, PagesLostToACutReadAsZerosAndTheWindowSaysSo) {
    const BusErrorGuard guard;
    FileWindow window;
    ASSERT_TRUE(window.Map(file, 0, text.size(), text.size(), 0));
    FileWindow untouched; // a second window of the thread, cut too but not read
    ASSERT_TRUE(untouched.Map(file, page, 2 * page, text.size(), 0));
    ASSERT_EQ(ftruncate(file, static_cast<off_t>(page + 10)), 0);
    std::string seen(window.Data(), text.size());
    EXPECT_TRUE(window.Cut());
    EXPECT_FALSE(untouched.Cut());
    EXPECT_EQ(seen.substr(0, page + 10), text.substr(0, page + 10));
    EXPECT_EQ(seen.substr(2 * page), std::string(text.size() - 2 * page, '\0'));
    // A new mapping starts uncut.
    ASSERT_TRUE(window.Map(file, 0, page, page + 10, 0));
    EXPECT_FALSE(window.Cut());
}

TEST_F(FileWindowTest, OtherBusErrorsStillEndTheProgram) {
    EXPECT_DEATH(
        {
            const BusErrorGuard guard;
            FileWindow window;
            window.Map(file, 0, page, text.size(), 0);
            void* other = mmap(nullptr, 2 * page, PROT_READ, MAP_SHARED, file, 0);
            if (ftruncate(file, 0) == 0 && other != MAP_FAILED) {
                std::fprintf(stderr, "%d\n", static_cast<volatile const char*>(other)[page]);
            }
        },
        "");
}

} // namespace
