// Google sign-in pieces: the OAuth client and its files, PKCE values, the
// authorisation address, the loopback redirect and its answer page.
//
// Index
//   OAuth client
//   PKCE and the authorisation request
//   Loopback redirect
//   Loopback listener (google_listen_win.cpp / google_listen_native.cpp)
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "google.h"
#include "sys_result.h"

// ---- OAuth client ----------------------------------------------------------------

// The program's own OAuth client id; client files carrying it are tried first.
inline constexpr const char* kBuiltInClientId = "418305927164-q3h8xk2m5wz0p7c4n1d6r9t2b5v8y0ls";

// The client of a downloaded client_secret*.json ("installed", else "web");
// none unless it holds client_id and client_secret strings.
std::optional<OAuthClient> client_from_download(const nlohmann::json& doc);
// The client of google-client.bin's document ("id", "secret" strings; "project" optional).
std::optional<OAuthClient> client_from_stored(const nlohmann::json& doc);
nlohmann::json client_to_stored(const OAuthClient& client);

// Whether a file name is a client file: begins "client_secret", ends ".json".
bool is_client_file_name(std::string_view name);
// Whether a text names the built-in client (compared in lower case).
bool contains_client_id(std::string_view text);
// The folders searched under the user profile, in order.
std::vector<std::string> client_search_folders(const std::string& profile);
// Sorts stably so that names naming the built-in client come first.
void order_client_candidates(std::vector<std::string>& paths);
// Client files in the folders, in folder order, each folder's names sorted.
std::vector<std::string> find_client_files(const std::vector<std::string>& folders);

// Imports the given file, or the first usable client file of the user's
// folders; saves it as google-client.bin and logs the import.
std::optional<OAuthClient> import_client_file(const std::optional<std::string>& path = std::nullopt);
// google-client.bin, else an import from the user's folders.
std::optional<OAuthClient> load_client();

// ---- PKCE and the authorisation request ----------------------------------------

struct Pkce {
    std::string verifier;   // 64 characters
    std::string challenge;  // 43 characters: base64url(SHA-256(verifier))
    std::string state;      // 22 characters
};
// From 48 + 16 random bytes (verifier bytes first).
Pkce pkce_from_bytes(std::string_view verifier_bytes, std::string_view state_bytes);
Result<Pkce> make_pkce();

// "openid" and the program's scopes, separated by blanks.
std::string google_scopes();
std::string authorization_url(const GoogleEndpoints& urls, std::string_view client_id, std::string_view redirect_uri,
                              std::string_view challenge, std::string_view state);
// Whether the granted scope text lacks Tasks, Calendar events or Gmail modify.
bool scope_needs_consent(std::string_view scope);

// ---- Loopback redirect -------------------------------------------------------------

// The query pairs of the request's target (second word of the request line),
// percent-decoded; empty when there is no query.
std::map<std::string, std::string> redirect_query(std::string_view request);

struct RedirectOutcome {
    std::string title, body;  // the page shown in the browser
    std::optional<std::string> code;  // set when the sign-in goes on
    std::string error;                // otherwise why it stopped
};
// The browser's answer judged against our state: an "error" pair refuses; a
// missing code, or a state that is missing or differs, is an invalid request.
RedirectOutcome judge_redirect(const std::map<std::string, std::string>& query, std::string_view expected_state);

std::string loopback_page(std::string_view title, std::string_view body);
// The whole HTTP answer carrying the page.
std::string loopback_response(std::string_view title, std::string_view body);

// ---- Loopback listener -------------------------------------------------------------

inline constexpr double kSignInWaitSeconds = 300;

class LoopbackListener {
public:
    LoopbackListener() = default;
    ~LoopbackListener();
    LoopbackListener(LoopbackListener&& o) noexcept : socket_(o.socket_), port_(o.port_) { o.socket_ = kNone; }
    LoopbackListener& operator=(LoopbackListener&&) = delete;
    LoopbackListener(const LoopbackListener&) = delete;

    // Listens on 127.0.0.1 on a free port.
    static Result<LoopbackListener> open();
    uint16_t port() const { return port_; }
    // Waits until `deadline_seconds` (monotonic) for the first connection that
    // sends a request; connections that send nothing are closed and ignored.
    // `answer` turns the request text into the bytes sent back. Fails with
    // "giriş 5 dakikada tamamlanmadı" at the deadline.
    Result<std::string> serve_one(double deadline_seconds, const std::function<std::string(std::string_view)>& answer);

private:
    static constexpr uint64_t kNone = ~uint64_t{0};
    uint64_t socket_ = kNone;
    uint16_t port_ = 0;
};
