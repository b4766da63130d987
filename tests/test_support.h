// Helpers shared by the tests: a private temporary folder and environment
// variables, on both the native and the Windows build.
#pragma once
#include <atomic>
#include <cstdlib>
#include <string>

#include "sys_os.h"

#ifdef _WIN32
#include <windows.h>
#include "sys_win.h"
#else
#include <unistd.h>
#endif

inline void test_set_env(const char* name, const std::string& value) {
#ifdef _WIN32
    SetEnvironmentVariableW(widen(name).c_str(), widen(value).c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

inline void test_unset_env(const char* name) {
#ifdef _WIN32
    SetEnvironmentVariableW(widen(name).c_str(), nullptr);
#else
    unsetenv(name);
#endif
}

// A new empty folder under the system's temporary folder; the name may carry
// a non-ASCII tail to exercise UTF-8 paths.
inline std::string test_temp_dir(const std::string& tail = "") {
    static std::atomic<int> counter{0};
#ifdef _WIN32
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH, buf);
    std::string base = narrow(std::wstring(buf, n));
    unsigned pid = GetCurrentProcessId();
#else
    std::string base = "/tmp/";
    unsigned pid = static_cast<unsigned>(getpid());
#endif
    // Wine reuses small process ids, so the time keeps runs apart.
    long long stamp = static_cast<long long>(monotonic_seconds() * 1e6);
    std::string dir = path_join(base, "vemo-test-" + std::to_string(pid) + "-" + std::to_string(stamp) + "-" +
                                          std::to_string(counter++) + tail);
    create_dirs(dir);
    return dir;
}

// Points the data folder at a fresh temporary folder for one test.
struct ScopedDataDir {
    std::string dir;
    explicit ScopedDataDir(const std::string& tail = "") : dir(test_temp_dir(tail)) { test_set_env("VEMO_ISLAND_DATA", dir); }
    ~ScopedDataDir() { test_unset_env("VEMO_ISLAND_DATA"); }
};
