// The "apps" thread against the real shell: under Wine the Applications folder
// may be nearly empty, so this checks that the index becomes ready and is well formed.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "search.h"
#include "sys_text.h"

TEST(AppsThread, FillsTheIndexOnce) {
    SharedAppsIndex index = spawn_apps_thread();
    bool ready = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        ready = index.snapshot().value_or(AppsIndex{}).ready;
        if (ready) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(ready);
    std::set<std::string> keys;
    for (const auto& app : *published_apps(index)) {
        EXPECT_FALSE(app.name.empty());
        EXPECT_FALSE(app.id.empty());
        EXPECT_FALSE(app.id.starts_with("http")) << app.id;
        EXPECT_EQ(app.key, fold_search_text(app.name));
        EXPECT_TRUE(keys.insert(app.key).second) << app.key;
    }
}
