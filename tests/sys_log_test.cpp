#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "sys_log.h"
#include "sys_os.h"
#include "test_support.h"

TEST(Log, LineFormatIsZeroPaddedTimeSpaceMessageLineFeed) {
    EXPECT_EQ(log_line(9, 5, 3, "x"), "09:05:03 x\n");
    EXPECT_EQ(log_line(23, 59, 59, "google: hata"), "23:59:59 google: hata\n");
}

TEST(Log, ControlCharactersInTheMessageBecomeSpacesSoNoLineCanBeForged) {
    struct Case { std::string in, out; };
    const Case cases[] = {
        {"bildirim: a\n09:00:00 Vemo Ada 2.4.0 starting", "bildirim: a 09:00:00 Vemo Ada 2.4.0 starting"},
        {"x\r\ny", "x  y"},
        {std::string("a\0b\tc\x1b[2Jd\x7f", 11), "a b c [2Jd "},
        {"c1:\xc2\x85:\xc2\x9f:", "c1: : :"},           // NEL and APC
        {"Çay İçelim · \xc2\xa0ok", "Çay İçelim · \xc2\xa0ok"},  // letters and NBSP stay
        {"kesik\xc2", "kesik\xc2"},
    };
    for (const Case& c : cases) EXPECT_EQ(log_line(1, 2, 3, c.in), "01:02:03 " + c.out + "\n") << c.in;
}

TEST(Log, RemoteTextWritesOneLine) {
    ScopedDataDir data("-forge");
    write_log("hatırlatma: süt\n12:00:00 Vemo Ada 2.4.0 starting\r");
    auto text = read_file(path_join(data.dir, "log.txt"));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(std::count(text->begin(), text->end(), '\n'), 1);
    EXPECT_EQ(text->find('\r'), std::string::npos);
}

TEST(DataFolder, FollowsEnvironmentAndIsCreatedWithParents) {
    std::string base = test_temp_dir();
    std::string nested = path_join(path_join(base, "Kullanıcı Çalışma"), "VemoIsland");
    test_set_env("VEMO_ISLAND_DATA", nested);
    EXPECT_FALSE(file_exists(nested));
    EXPECT_EQ(data_dir(), nested);
    EXPECT_TRUE(file_exists(nested));
    EXPECT_EQ(data_file("state.txt"), path_join(nested, "state.txt"));
    test_unset_env("VEMO_ISLAND_DATA");
}

TEST(DataFolder, FallsBackToAppdataThenCurrentFolder) {
    std::string appdata = test_temp_dir("-appdata");
    test_unset_env("VEMO_ISLAND_DATA");
    test_set_env("APPDATA", appdata);
    EXPECT_EQ(data_dir(), path_join(appdata, "VemoIsland"));
    test_unset_env("APPDATA");
    EXPECT_EQ(data_dir(), path_join(".", "VemoIsland"));
}

TEST(Log, AppendsLinesFromManyThreadsInANonAsciiFolder) {
    ScopedDataDir data("-günlük-İş");
    constexpr int kThreads = 4, kLines = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) write_log("wake: satır " + std::to_string(t) + "-" + std::to_string(i));
        });
    for (auto& th : threads) th.join();
    auto text = read_file(path_join(data.dir, "log.txt"));
    ASSERT_TRUE(text.has_value());
    int lines = 0;
    size_t pos = 0;
    while (pos < text->size()) {
        size_t nl = text->find('\n', pos);
        ASSERT_NE(nl, std::string::npos) << "every line ends with a line feed";
        std::string line = text->substr(pos, nl - pos);
        ASSERT_GE(line.size(), 9u);
        EXPECT_EQ(line[2], ':');
        EXPECT_EQ(line[5], ':');
        EXPECT_EQ(line.substr(8, 14), " wake: satır ");
        ++lines;
        pos = nl + 1;
    }
    EXPECT_EQ(lines, kThreads * kLines);
}

TEST(Files, AtomicWriteReplacesWholeContentsAndLeavesNoTemporary) {
    std::string dir = test_temp_dir("-dosya-ş");
    std::string path = path_join(dir, "state.txt");
    ASSERT_TRUE(write_file_atomic(path, "first version, long\n").ok());
    ASSERT_TRUE(write_file_atomic(path, "ikinci\n").ok());
    EXPECT_EQ(read_file(path).value_or(""), "ikinci\n");
    EXPECT_FALSE(file_exists(path + ".tmp"));
    EXPECT_EQ(file_size(path).value_or(0), 7u);
    EXPECT_FALSE(read_file(path_join(dir, "missing.txt")).has_value());
    EXPECT_FALSE(write_file_atomic(path_join(path_join(dir, "no-such-folder"), "x.txt"), "x").ok());
}
