// Self-update, portable part: versions, channel reads, the check with its
// swap, the update thread and the clean-up of the previous executable.
//
// Index
//   Versions
//   Channel reads
//   One check
//   The update thread
//   Old-executable clean-up
#include "update.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <charconv>
#include <stdexcept>
#include <thread>

#include "google_sha256.h"
#include "sys_log.h"
#include "sys_os.h"
#include "sys_text.h"
#include "sys_thread.h"

// ---- Versions -------------------------------------------------------------------------------

namespace {

std::string_view strip_v(std::string_view s) {
    while (!s.empty() && (s.front() == 'v' || s.front() == 'V')) s.remove_prefix(1);
    return s;
}

uint64_t version_number(std::string_view piece) {
    uint64_t n = 0;
    if (piece.empty()) return 0;
    auto [end, ec] = std::from_chars(piece.data(), piece.data() + piece.size(), n);
    if (ec != std::errc() || end != piece.data() + piece.size()) return 0;
    return n;
}

}  // namespace

std::vector<uint64_t> parse_version(std::string_view text) {
    std::string_view rest = strip_v(trim(text));
    std::vector<uint64_t> out;
    for (;;) {
        size_t cut = rest.find_first_of(".-+");
        out.push_back(version_number(rest.substr(0, cut)));
        if (out.size() == 3 || cut == std::string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    return out;
}

bool version_newer(std::string_view remote, std::string_view current) {
    std::vector<uint64_t> r = parse_version(remote), c = parse_version(current);
    for (size_t i = 0; i < 3; ++i) {
        uint64_t a = i < r.size() ? r[i] : 0, b = i < c.size() ? c[i] : 0;
        if (a != b) return a > b;
    }
    return false;
}

std::string running_version(bool after_update, const std::optional<std::string>& fake_version) {
    if (!after_update && fake_version) return *fake_version;
    return kAppVersion;
}

// ---- Channel reads --------------------------------------------------------------------------

std::string update_api_base(const std::optional<std::string>& test_base) {
    // Only a loopback address is taken, so the variable can never send the
    // updater to another host.
    if (test_base && is_loopback_test_base(*test_base)) return *test_base;
    return kUpdateApiBase;
}

std::string channel_file_url(std::string_view base, std::string_view path) {
    return fmt::format("{}/repos/{}/{}/contents/{}?ref={}", base, kUpdateRepoOwner, kUpdateRepoName, path, kUpdateBranch);
}

std::vector<HttpHeader> channel_headers(const std::optional<std::string>& token) {
    std::vector<HttpHeader> h = {{"Accept", "application/vnd.github.raw"}, {"X-GitHub-Api-Version", "2022-11-28"}};
    if (token) h.push_back({"Authorization", "Bearer " + *token});
    return h;
}

std::optional<std::string> read_update_token() {
    if (auto env = get_env(kGithubTokenVariable)) {
        std::string t(trim(*env));
        if (!t.empty()) return t;
    }
    if (auto file = read_file(data_file(kGithubTokenFile))) {
        std::string t(trim(*file));
        if (!t.empty()) return t;
    }
    return std::nullopt;
}

namespace {

HttpRequest get_request(std::string url, std::vector<HttpHeader> headers, bool follow,
                        std::optional<std::chrono::milliseconds> deadline) {
    HttpRequest r;
    r.method = "GET";
    r.url = std::move(url);
    r.headers = std::move(headers);
    r.follow_redirects = follow;
    if (deadline) r.deadline_ms = static_cast<int>(deadline->count());
    return r;
}

bool is_redirect(uint32_t status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

Result<std::string> fetch_channel_file(const HttpSendFn& http, std::string_view base, std::string_view path,
                                       const std::optional<std::string>& token,
                                       std::optional<std::chrono::milliseconds> deadline) {
    Result<HttpResponse> r = http(get_request(channel_file_url(base, path), channel_headers(token), false, deadline));
    if (!r) return r.error();
    uint32_t status = r->status;
    if (status == 200) return std::move(r->body);
    if (is_redirect(status)) {
        if (!r->location) return make_error("yönlendirme yok");
        Result<HttpResponse> moved = http(get_request(*r->location, {}, true, deadline));
        if (!moved) return moved.error();
        if (moved->status == 200) return std::move(moved->body);
        return make_error(fmt::format("indirme hatası {}", moved->status));
    }
    switch (status) {
        case 401: return make_error("token geçersiz");
        case 403: return make_error("erişim yok (token izni?)");
        case 404: return make_error(token ? "güncelleme kanalı yok" : "token yok (github.txt)");
        default: return make_error(fmt::format("GitHub {}", status));
    }
}

// ---- One check ------------------------------------------------------------------------------

UpdateCheckSetup process_check_setup(bool after_update) {
    UpdateCheckSetup s;
    s.api_base = update_api_base(get_env(kUpdateTestBaseVariable));
    s.token = read_update_token();
    s.current_version = running_version(after_update, get_env(kFakeVersionVariable));
    s.http = http_send;
    s.files = system_swap_files();
    return s;
}

Status swap_in_executable(const SwapFiles& files, std::string_view bytes) {
    Result<std::string> exe = files.exe_path();
    if (!exe) return exe.error();
    size_t cut = exe->find_last_of("\\/");
    if (cut == std::string::npos) return make_error("klasör yok");
    std::string folder = exe->substr(0, cut);
    std::string fresh = path_join(folder, kNewExeName), old = path_join(folder, kOldExeName);

    if (Status w = files.write(fresh, bytes); !w) return make_error("yazılamadı: " + w.error().message);
    (void)files.remove(old);  // usually absent
    if (Status r = files.rename(*exe, old); !r) return make_error("değiştirilemedi: " + r.error().message);
    if (Status r = files.rename(fresh, *exe); !r) {
        (void)files.rename(old, *exe);  // the previous executable goes back under its name
        return make_error("değiştirilemedi: " + r.error().message);
    }
    return ok_status();
}

namespace {

std::string first_line(std::string_view text) {
    std::string_view line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return std::string(line);
}

std::string string_member(const nlohmann::json& doc, const char* key) {
    auto it = doc.find(key);
    return it != doc.end() && it->is_string() ? it->get<std::string>() : std::string();
}

update_outcome::Failed failed(std::string message) { return {std::move(message)}; }

}  // namespace

UpdateOutcome check_and_install(const UpdateCheckSetup& setup) {
    Result<std::string> latest = fetch_channel_file(setup.http, setup.api_base, "latest.json", setup.token);
    if (!latest) return failed(latest.error().message);
    nlohmann::json doc = nlohmann::json::parse(*latest, nullptr, false);
    if (doc.is_discarded()) return failed("latest.json okunamadı");
    // Members are read only from an object; any other document names no version.
    if (!doc.is_object()) return update_outcome::UpToDate{};

    std::string remote = string_member(doc, "version");
    if (remote.empty() || !version_newer(remote, setup.current_version)) return update_outcome::UpToDate{};

    std::string expected = string_member(doc, "sha256");
    for (char& c : expected)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (expected.size() != 64) return failed("latest.json: sha256 yok");

    Result<std::string> exe = fetch_channel_file(setup.http, setup.api_base, "VemoIsland.exe", setup.token,
                                                 std::chrono::milliseconds(kHttpDownloadDeadlineMs));
    if (!exe) return failed(exe.error().message);
    if (exe->size() < kMinExeBytes || exe->compare(0, 2, "MZ") != 0) return failed("indirilen dosya bozuk");
    std::array<uint8_t, 32> digest = sha256(*exe);
    std::string actual = to_hex_lower(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
    if (actual.size() != 64 || actual != expected) return failed("SHA-256 doğrulaması başarısız");

    if (Status s = swap_in_executable(setup.files, *exe); !s) return failed(s.error().message);
    return update_outcome::Installed{std::string(strip_v(remote)), first_line(string_member(doc, "notes"))};
}

std::string update_now_text(const UpdateOutcome& outcome) {
    if (auto* i = std::get_if<update_outcome::Installed>(&outcome)) return "installed v" + i->version;
    if (auto* f = std::get_if<update_outcome::Failed>(&outcome)) return "error " + f->message;
    return "up to date";
}

int update_now_exit_code(const UpdateOutcome& outcome) {
    if (std::holds_alternative<update_outcome::Installed>(outcome)) return 0;
    if (std::holds_alternative<update_outcome::Failed>(outcome)) return 1;
    return 3;
}

// ---- The update thread ----------------------------------------------------------------------

namespace {

// Step 4 of a wake-up: false when an installed version waits for the restart.
bool begin_check(const Shared<UpdateState>& state) {
    bool pending = false;
    if (auto g = state.lock()) {
        if ((*g)->pending_version) {
            pending = true;
        } else {
            (*g)->checking = true;
            (*g)->status = "denetleniyor…";
        }
    }
    return !pending;
}

void publish(const Shared<UpdateState>& state, const UpdateOutcome& outcome) {
    if (auto g = state.lock()) {
        UpdateState& s = **g;
        s.checking = false;
        if (auto* i = std::get_if<update_outcome::Installed>(&outcome)) {
            s.status = fmt::format("v{} indirildi", i->version);
            s.pending_version = i->version;
            s.notes = i->notes;
        } else if (auto* f = std::get_if<update_outcome::Failed>(&outcome)) {
            s.status = "hata: " + f->message;
        } else {
            s.status = "güncel";
        }
    }
}

// The log carries no Turkish letters.
std::string outcome_log_line(const UpdateOutcome& outcome) {
    if (auto* i = std::get_if<update_outcome::Installed>(&outcome))
        return fmt::format("update: v{} kuruldu, yeniden baslatilacak", i->version);
    if (auto* f = std::get_if<update_outcome::Failed>(&outcome)) return "update: hata " + f->message;
    return "update: guncel";
}

}  // namespace

void update_thread(const UpdateThreadConfig& config, Receiver<UpdateRequest> requests, Shared<UpdateState> state) {
    if (config.cleanup && !spawn_detached("", config.cleanup)) throw std::runtime_error("failed to spawn thread");
    std::chrono::milliseconds wait = config.first_wait;
    for (;;) {
        UpdateRequest request;
        if (requests.recv(request, wait) == RecvStatus::Closed) return;
        if (!begin_check(state)) continue;
        config.notify();
        UpdateOutcome outcome = config.check();
        publish(state, outcome);
        write_log(outcome_log_line(outcome));
        config.notify();
        wait = config.period;
    }
}

UpdateWorker spawn_update_thread(UpdateThreadConfig config) {
    auto [tx, rx] = channel<UpdateRequest>();
    UpdateWorker worker{Shared<UpdateState>(UpdateState{}), tx};
    auto body = [config = std::move(config), rx = std::make_shared<Receiver<UpdateRequest>>(std::move(rx)),
                 state = worker.state]() mutable { update_thread(config, std::move(*rx), state); };
    if (!spawn_detached("update", std::move(body))) worker.requests = Sender<UpdateRequest>();
    return worker;
}

// ---- Old-executable clean-up ----------------------------------------------------------------

void cleanup_old_exe() {
    Result<std::string> exe = system_swap_files().exe_path();
    if (!exe) return;
    size_t cut = exe->find_last_of("\\/");
    if (cut == std::string::npos) return;
    std::string old = path_join(exe->substr(0, cut), kOldExeName);
    // The previous process may still hold its file for a moment after the restart.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (!file_exists(old) || remove_file(old)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
}
