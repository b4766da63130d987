// File reads from an offset and folder listings, on both platforms (this file
// also runs under Wine inside the Windows test executable).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sys_os.h"
#include "test_support.h"

namespace {

TEST(FileRead, FromAnOffsetToTheEnd) {
    const std::string dir = test_temp_dir("-ş");
    const std::string path = path_join(dir, "günlük.txt");
    ASSERT_TRUE(write_file_atomic(path, "0123456789").ok());
    struct Case {
        uint64_t offset;
        const char* want;
    };
    for (const Case& c : {Case{0, "0123456789"}, Case{4, "456789"}, Case{9, "9"}, Case{10, ""}, Case{1000, ""}}) {
        SCOPED_TRACE(c.offset);
        std::optional<std::string> got = read_file_from(path, c.offset);
        ASSERT_TRUE(got);
        EXPECT_EQ(*got, c.want);
    }
    EXPECT_EQ(read_file(path), std::optional<std::string>("0123456789"));
    EXPECT_FALSE(read_file_from(path_join(dir, "yok.txt"), 0));
}

TEST(FolderNames, ListsEntriesWithoutDotsAndKeepsUtf8) {
    const std::string dir = test_temp_dir();
    ASSERT_TRUE(write_file_atomic(path_join(dir, "a.txt"), "x").ok());
    ASSERT_TRUE(write_file_atomic(path_join(dir, "Çizim ğüşiöç.acf"), "x").ok());
    ASSERT_TRUE(create_dirs(path_join(dir, "alt klasör")));
    std::vector<std::string> names = folder_names(dir);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "alt klasör", "Çizim ğüşiöç.acf"}));
    EXPECT_TRUE(folder_names(path_join(dir, "yok")).empty());
    EXPECT_TRUE(folder_names(path_join(dir, "a.txt")).empty());
}

}  // namespace
