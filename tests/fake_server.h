// Starts tests/fake_server.py on 127.0.0.1 from a Windows test running under
// Wine, and reads back what it received. Include only from *_wintest.cpp.
//
// Wine starts a Linux executable given to CreateProcessW, but hands back no
// usable process handle or pipes; so the server talks through files in a
// temporary folder (routes in, port and request record out), stops on
// GET /__quit, and stops by itself after its lifetime in any case.
//
// Environment: VEMO_TEST_PYTHON (Linux path, default /usr/bin/python3) and
// VEMO_FAKE_SERVER (Linux path of fake_server.py, default from the source tree).
#pragma once
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "net_http.h"
#include "sys_os.h"
#include "sys_win.h"
#include "test_support.h"

namespace fake_server_detail {

// Wine's path converters (kernel32 exports that only Wine has); results are
// allocated on the process heap.
using ToUnixFn = char*(__cdecl*)(const wchar_t*);
using ToDosFn = wchar_t*(__cdecl*)(const char*);

template <class Fn>
Fn wine_export(const char* name) {
    HMODULE k32 = GetModuleHandleW(L"kernel32.dll");
    return k32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(k32, name))) : nullptr;
}

inline std::optional<std::string> unix_path(const std::string& windows_path) {
    auto fn = wine_export<ToUnixFn>("wine_get_unix_file_name");
    if (!fn) return std::nullopt;
    char* p = fn(widen(windows_path).c_str());
    if (!p) return std::nullopt;
    std::string out(p);
    HeapFree(GetProcessHeap(), 0, p);
    return out;
}

inline std::optional<std::wstring> dos_path(const std::string& unix) {
    auto fn = wine_export<ToDosFn>("wine_get_dos_file_name");
    if (!fn) return std::nullopt;
    wchar_t* p = fn(unix.c_str());
    if (!p) return std::nullopt;
    std::wstring out(p);
    HeapFree(GetProcessHeap(), 0, p);
    return out;
}

inline std::string quote_arg(const std::string& s) { return "\"" + s + "\""; }

inline std::string default_script() {
#ifdef VEMO_SOURCE_DIR
    return std::string(VEMO_SOURCE_DIR) + "/tests/fake_server.py";
#else
    std::string here = __FILE__;
    size_t slash = here.find_last_of("/\\");
    return (slash == std::string::npos ? std::string(".") : here.substr(0, slash)) + "/fake_server.py";
#endif
}

}  // namespace fake_server_detail

class FakeServer {
public:
    // Writes the routes (see fake_server.py) and starts the server; error()
    // says why when it did not come up.
    explicit FakeServer(const nlohmann::json& routes, int lifetime_s = 60) {
        using namespace fake_server_detail;
        dir_ = test_temp_dir("-fake-server");
        routes_path_ = path_join(dir_, "routes.json");
        record_path_ = path_join(dir_, "record.jsonl");
        port_path_ = path_join(dir_, "port.txt");
        set_routes(routes);

        auto unix_dir = unix_path(dir_);
        if (!unix_dir) { error_ = "not running under Wine (no wine_get_unix_file_name)"; return; }
        std::string python = get_env("VEMO_TEST_PYTHON").value_or("/usr/bin/python3");
        std::string script = get_env("VEMO_FAKE_SERVER").value_or(default_script());
        auto python_dos = dos_path(python);
        if (!python_dos) { error_ = "no DOS path for " + python; return; }

        std::string cmd = quote_arg(python) + " " + quote_arg(script) + " --routes " + quote_arg(*unix_dir + "/routes.json") +
                          " --record " + quote_arg(*unix_dir + "/record.jsonl") + " --port-file " +
                          quote_arg(*unix_dir + "/port.txt") + " --lifetime " + std::to_string(lifetime_s);
        std::wstring wcmd = widen(cmd);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(python_dos->c_str(), wcmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            error_ = "CreateProcessW failed: " + std::to_string(GetLastError());
            return;
        }
        UniqueHandle process(pi.hProcess), thread(pi.hThread);

        for (int i = 0; i < 200 && port_ == 0; ++i) {
            if (auto text = read_file(port_path_)) port_ = std::atoi(text->c_str());
            if (port_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (port_ == 0) error_ = "the server wrote no port within 10 s (" + cmd + ")";
    }

    ~FakeServer() { stop(); }

    // Asks the server to quit and waits (up to 5 s) until it no longer listens.
    void stop() {
        if (port_ == 0) return;
        (void)http_request("GET", base_url() + "/__quit", {}, std::nullopt, false);
        for (int i = 0; i < 100 && file_exists(port_path_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        port_ = 0;
    }

    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    bool running() const { return port_ != 0; }
    const std::string& error() const { return error_; }
    int port() const { return port_; }
    std::string base_url() const { return "http://127.0.0.1:" + std::to_string(port_); }

    // Replaces the routes; the server reads them again for every request.
    void set_routes(const nlohmann::json& routes) { (void)write_file_atomic(routes_path_, routes.dump()); }

    // Every request received so far, in order.
    std::vector<nlohmann::json> records() const {
        std::vector<nlohmann::json> out;
        std::string text = read_file(record_path_).value_or("");
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            auto j = nlohmann::json::parse(text.substr(start, end - start), nullptr, false);
            if (!j.is_discarded()) out.push_back(std::move(j));
            start = end + 1;
        }
        return out;
    }

    // The requests whose target (path and query) is exactly `target`.
    std::vector<nlohmann::json> records_for(const std::string& target) const {
        std::vector<nlohmann::json> out;
        for (auto& r : records())
            if (r.value("target", "") == target) out.push_back(r);
        return out;
    }

private:
    std::string dir_, routes_path_, record_path_, port_path_, error_;
    int port_ = 0;
};
