// Google sign-in pieces: client files, PKCE, authorisation address, redirect.
#include "google_signin.h"

#include <algorithm>

#include <fmt/format.h>

#include "google_files.h"
#include "google_sha256.h"
#include "net_encode.h"
#include "net_json.h"
#include "sys_log.h"
#include "sys_os.h"
#include "sys_protect.h"
#include "sys_text.h"

namespace {

using json = nlohmann::json;

std::optional<std::string> string_member(const json& j, const char* key) {
    if (!j.is_object()) return std::nullopt;
    auto it = j.find(key);
    if (it == j.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

// Client files are small; anything bigger is not one.
constexpr uint64_t kClientFileMaxBytes = 1'000'000;

}  // namespace

// ---- OAuth client ------------------------------------------------------------------------

std::optional<OAuthClient> client_from_download(const json& doc) {
    if (!doc.is_object()) return std::nullopt;
    for (const char* kind : {"installed", "web"}) {
        auto it = doc.find(kind);
        if (it == doc.end() || !it->is_object()) continue;
        auto id = string_member(*it, "client_id");
        auto secret = string_member(*it, "client_secret");
        if (!id || !secret) return std::nullopt;
        return OAuthClient{*id, *secret, string_member(*it, "project_id").value_or("")};
    }
    return std::nullopt;
}

std::optional<OAuthClient> client_from_stored(const json& doc) {
    auto id = string_member(doc, "id");
    auto secret = string_member(doc, "secret");
    if (!id || !secret) return std::nullopt;
    return OAuthClient{*id, *secret, string_member(doc, "project").value_or("")};
}

json client_to_stored(const OAuthClient& c) { return {{"id", c.id}, {"secret", c.secret}, {"project", c.project}}; }

bool is_client_file_name(std::string_view name) {
    std::string lower = to_lower(name);
    return lower.size() >= 18 && lower.starts_with("client_secret") && lower.ends_with(".json");
}

bool contains_client_id(std::string_view text) { return to_lower(text).find(kBuiltInClientId) != std::string::npos; }

std::vector<std::string> client_search_folders(const std::string& profile) {
    return {path_join(profile, "Downloads"), path_join(profile, "Desktop"),
            path_join(path_join(profile, "OneDrive"), "Desktop"), path_join(path_join(profile, "OneDrive"), "Downloads")};
}

void order_client_candidates(std::vector<std::string>& paths) {
    std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        return contains_client_id(path_last_component(a)) && !contains_client_id(path_last_component(b));
    });
}

std::vector<std::string> find_client_files(const std::vector<std::string>& folders) {
    std::vector<std::string> out;
    for (const std::string& folder : folders) {
        std::vector<std::string> names;
        for (std::string& name : folder_names(folder)) {
            if (!is_client_file_name(name)) continue;
            std::optional<FileInfo> info = file_info(path_join(folder, name));
            if (!info || info->directory) continue;
            names.push_back(std::move(name));
        }
        std::sort(names.begin(), names.end());
        for (auto& n : names) out.push_back(path_join(folder, n));
    }
    return out;
}

std::optional<OAuthClient> import_client_file(const std::optional<std::string>& path) {
    std::vector<std::string> candidates;
    if (path) {
        candidates.push_back(*path);
    } else {
        std::optional<std::string> profile = get_env("USERPROFILE");
        if (!profile || profile->empty()) return std::nullopt;
        candidates = find_client_files(client_search_folders(*profile));
        order_client_candidates(candidates);
    }
    for (const std::string& file : candidates) {
        std::optional<uint64_t> size = file_size(file);
        if (!size || *size > kClientFileMaxBytes) continue;
        std::optional<std::string> text = read_file(file);
        if (!text) continue;
        std::optional<json> doc = parse_json_limited(*text);
        if (!doc) continue;
        std::optional<OAuthClient> client = client_from_download(*doc);
        if (!client) continue;
        (void)save_protected_json(kGoogleClientFile, client_to_stored(*client));
        write_log("google: istemci dosyası içe aktarıldı");
        return client;
    }
    return std::nullopt;
}

std::optional<OAuthClient> load_client() {
    if (std::optional<json> doc = load_protected_json(kGoogleClientFile))
        if (auto client = client_from_stored(*doc)) return client;
    return import_client_file();
}

// ---- PKCE and the authorisation request ----------------------------------------------------

Pkce pkce_from_bytes(std::string_view verifier_bytes, std::string_view state_bytes) {
    Pkce p;
    p.verifier = base64url_encode(verifier_bytes);
    auto digest = sha256(p.verifier);
    p.challenge = base64url_encode(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
    p.state = base64url_encode(state_bytes);
    return p;
}

Result<Pkce> make_pkce() {
    Result<std::string> v = random_bytes(48);
    if (!v) return v.error();
    Result<std::string> s = random_bytes(16);
    if (!s) return s.error();
    return pkce_from_bytes(*v, *s);
}

std::string google_scopes() {
    constexpr const char* kScopes[] = {"userinfo.email", "userinfo.profile", "cloud-platform",
                                       "generative-language.retriever", "gmail.modify", "calendar.events", "tasks"};
    std::string out = "openid";
    for (const char* s : kScopes) out += std::string(" https://www.googleapis.com/auth/") + s;
    return out;
}

std::string authorization_url(const GoogleEndpoints& urls, std::string_view client_id, std::string_view redirect_uri,
                              std::string_view challenge, std::string_view state) {
    return urls.auth + "/o/oauth2/v2/auth?client_id=" + percent_encode(client_id) +
           "&redirect_uri=" + percent_encode(redirect_uri) + "&response_type=code&scope=" +
           percent_encode(google_scopes()) + "&code_challenge=" + std::string(challenge) +
           "&code_challenge_method=S256&state=" + std::string(state) + "&access_type=offline&prompt=consent";
}

bool scope_needs_consent(std::string_view scope) {
    for (std::string_view need : {"auth/tasks", "auth/calendar.events", "auth/gmail.modify"})
        if (scope.find(need) == std::string_view::npos) return true;
    return false;
}

// ---- Loopback redirect ---------------------------------------------------------------------

std::map<std::string, std::string> redirect_query(std::string_view request) {
    std::map<std::string, std::string> out;
    size_t line_end = request.find_first_of("\r\n");
    std::string_view line = request.substr(0, line_end);
    size_t a = line.find(' ');
    if (a == std::string_view::npos) return out;
    std::string_view rest = line.substr(a + 1);
    std::string_view target = rest.substr(0, rest.find(' '));
    size_t q = target.find('?');
    if (q == std::string_view::npos) return out;
    std::string_view query = target.substr(q + 1);
    while (!query.empty()) {
        size_t amp = query.find('&');
        std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (pair.empty()) continue;
        size_t eq = pair.find('=');
        std::string key = percent_decode(pair.substr(0, eq));
        std::string value = eq == std::string_view::npos ? std::string() : percent_decode(pair.substr(eq + 1));
        out.emplace(std::move(key), std::move(value));  // the first pair of a name counts
    }
    return out;
}

RedirectOutcome judge_redirect(const std::map<std::string, std::string>& query, std::string_view expected_state) {
    RedirectOutcome r;
    if (auto e = query.find("error"); e != query.end()) {
        r.title = "Bağlanmadı";
        r.body = "İzin verilmedi, bu sekmeyi kapatabilirsin.";
        r.error = fmt::format("izin verilmedi ({})", e->second);
        return r;
    }
    auto code = query.find("code");
    auto state = query.find("state");
    if (code == query.end() || state == query.end() || state->second != expected_state) {
        r.title = "Geçersiz istek";
        r.body = "Vemo Ada içinden tekrar dene.";
        r.error = code == query.end() ? "kod gelmedi" : "durum kodu tutmadı";
        return r;
    }
    r.title = "Vemo Ada Google'a bağlandı ✓";
    r.body = "Bu sekmeyi kapatabilirsin.";
    r.code = code->second;
    return r;
}

std::string loopback_page(std::string_view title, std::string_view body) {
    return fmt::format(
        "<!doctype html><html><head><meta charset=utf-8><title>Vemo Ada</title></head>"
        "<body style=\"margin:0;height:100vh;display:grid;place-items:center;background:#000;color:#fff;"
        "font-family:'Segoe UI',sans-serif\"><div style=\"text-align:center\">"
        "<div style=\"width:220px;height:62px;border-radius:31px;background:#111;box-shadow:0 0 60px #5e5ce6;"
        "margin:0 auto\"></div><h2>{}</h2><p style=\"color:#999\">{}</p></div></body></html>",
        title, body);
}

std::string loopback_response(std::string_view title, std::string_view body) {
    std::string page = loopback_page(title, body);
    return fmt::format(
        "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: {}\r\nConnection: close\r\n\r\n{}",
        page.size(), page);
}
