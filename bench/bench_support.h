// Shared by the native benchmarks: an allocation counter (each benchmark is
// one translation unit, so the replaced operator new lives here once per
// binary), a private data folder, and the synthetic installed-apps list.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "app_format.h"
#include "search.h"
#include "sys_os.h"

// ---- Allocation counter ------------------------------------------------------------

inline std::atomic<uint64_t> g_allocations{0};

// Out of line, as the library's own are: inlined, GCC pairs the malloc inside
// with the free inside and reports a mismatched new/delete.
[[gnu::noinline]] void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

inline uint64_t allocations() { return g_allocations.load(std::memory_order_relaxed); }

// ---- Data folder -------------------------------------------------------------------

// Points the data folder at a fresh folder under /tmp for this process.
inline std::string bench_data_dir() {
    static const std::string dir = [] {
        std::string d = "/tmp/vemo-bench-" + std::to_string(getpid());
        create_dirs(d);
        setenv("VEMO_ISLAND_DATA", d.c_str(), 1);
        return d;
    }();
    return dir;
}

// ---- Installed apps ----------------------------------------------------------------

// n plausible names ("Contoso Görüntü Studio 12"), built from a fixed seed.
inline std::vector<RawAppItem> synthetic_raw_apps(size_t n) {
    static const char* vendors[] = {"Microsoft", "Adobe", "Contoso", "Fabrikam", "Özel", "Steam", "JetBrains", "Mozilla",
                                    "Google", "Ubisoft", "Yandex", "Logitech"};
    static const char* words[] = {"Not", "Defteri", "Görüntü", "Ses", "Kayıt", "Studio", "Player", "Editor", "Manager",
                                  "Tools", "Hesap", "Makinesi", "Çizim", "Oyun", "Paint", "Photo", "Mail", "Takvim",
                                  "Terminal", "Explorer", "Sync", "Update", "Helper", "Launcher"};
    std::mt19937 rng(2024);
    std::vector<RawAppItem> apps;
    apps.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        std::string name = vendors[rng() % std::size(vendors)];
        for (size_t w = 0, k = 1 + rng() % 3; w < k; ++w) {
            name += ' ';
            name += words[rng() % std::size(words)];
        }
        name += ' ' + std::to_string(i);
        apps.push_back(RawAppItem{name, "Vendor.App" + std::to_string(i) + "!App"});
    }
    return apps;
}
