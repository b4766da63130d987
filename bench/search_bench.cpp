// search_rows over a large installed-apps list: the work done on every keystroke.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "app_format.h"
#include "search.h"

namespace {

// 5 000 plausible names ("Contoso Görüntü Studio 12"), built from a fixed seed.
std::vector<AppEntry> synthetic_apps(size_t n) {
    static const char* vendors[] = {"Microsoft", "Adobe", "Contoso", "Fabrikam", "Özel", "Steam", "JetBrains", "Mozilla",
                                    "Google", "Ubisoft", "Yandex", "Logitech"};
    static const char* words[] = {"Not", "Defteri", "Görüntü", "Ses", "Kayıt", "Studio", "Player", "Editor", "Manager",
                                  "Tools", "Hesap", "Makinesi", "Çizim", "Oyun", "Paint", "Photo", "Mail", "Takvim",
                                  "Terminal", "Explorer", "Sync", "Update", "Helper", "Launcher"};
    std::mt19937 rng(2024);
    std::vector<AppEntry> apps;
    apps.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        std::string name = vendors[rng() % std::size(vendors)];
        for (size_t w = 0, k = 1 + rng() % 3; w < k; ++w) {
            name += ' ';
            name += words[rng() % std::size(words)];
        }
        name += ' ' + std::to_string(i);
        apps.push_back(AppEntry{name, fold_search_text(name), "Vendor.App" + std::to_string(i) + "!App"});
    }
    return apps;
}

const std::vector<AppEntry>& apps_5000() {
    static const std::vector<AppEntry> apps = synthetic_apps(5000);
    return apps;
}

void BM_SearchRows(benchmark::State& state, const char* query) {
    const auto& apps = apps_5000();
    for (auto _ : state) {
        auto rows = search_rows(apps, query, kSearchMaxRows);
        benchmark::DoNotOptimize(rows);
    }
}

void BM_SearchPageRows(benchmark::State& state, const char* query) {
    const auto& apps = apps_5000();
    for (auto _ : state) {
        auto rows = search_page_rows(apps, query, TimeOfDay{12, 0, 0}, true);
        benchmark::DoNotOptimize(rows);
    }
}

}  // namespace

// "not": many prefix, word and in-order matches; "ses": also two settings rows.
BENCHMARK_CAPTURE(BM_SearchRows, three_letters_not, "not")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchRows, three_letters_ses, "ses")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchRows, no_match_qzx, "qzx")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchPageRows, reminder_phrase, "10 dk sonra çamaşır")->Unit(benchmark::kMicrosecond);
