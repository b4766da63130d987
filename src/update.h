// Self-update: the release channel, the check that downloads, verifies and
// swaps in a new executable, and the "update" thread that runs it.
//
// Index
//   Deployment values of the release channel
//   Shared state, requests and outcomes
//   Versions
//   Channel reads
//   One check
//   The update thread
//   Old-executable clean-up
#pragma once
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "net_http.h"
#include "sys_result.h"
#include "sys_shared.h"
#include "sys_version.h"

// ---- Deployment values of the release channel ---------------------------------------

// The channel is the branch "updates" of the update repository, read through
// GitHub's repository-contents interface. Host and owner are set per deployment.
inline constexpr const char* kUpdateApiBase = "https://api.github.com";
inline constexpr const char* kUpdateRepoOwner = "vemo-app";
inline constexpr const char* kUpdateRepoName = "vemo-island";
inline constexpr const char* kUpdateBranch = "updates";

// Internal to the test harness: a loopback base ("http://127.0.0.1:<port>")
// that replaces kUpdateApiBase, so tests of the exe never reach the network.
// Any other value is ignored.
inline constexpr const char* kUpdateTestBaseVariable = "VEMO_TEST_UPDATE_BASE";

// The variable that pretends another running version.
inline constexpr const char* kFakeVersionVariable = "VEMO_FAKE_VERSION";
inline constexpr const char* kGithubTokenVariable = "VEMO_GITHUB_TOKEN";
inline constexpr const char* kGithubTokenFile = "github.txt";

// Names beside the running executable.
inline constexpr const char* kNewExeName = "VemoIsland.new.exe";
inline constexpr const char* kOldExeName = "VemoIsland.old.exe";

// A downloaded executable shorter than this is damaged.
inline constexpr size_t kMinExeBytes = 200'000;

// ---- Shared state, requests and outcomes ---------------------------------------------

struct UpdateState {
    std::string status = "bekliyor";            // shown to the user
    std::string notes;                          // first line of the release notes
    std::optional<std::string> pending_version; // installed, waiting for the restart
    bool checking = false;
};
struct UpdateRequest {};  // one immediate check

namespace update_outcome {
struct UpToDate {};
struct Installed {
    std::string version;  // without leading "v"/"V"
    std::string notes;    // first line, may be empty
};
struct Failed {
    std::string message;  // Turkish, shown after "hata: "
};
}  // namespace update_outcome
using UpdateOutcome = std::variant<update_outcome::UpToDate, update_outcome::Installed, update_outcome::Failed>;

// ---- Versions -----------------------------------------------------------------------------

// Up to three numbers: white space trimmed, leading "v"/"V" letters dropped,
// split at ".", "-" and "+"; a piece that is not a 64-bit decimal reads as 0.
std::vector<uint64_t> parse_version(std::string_view text);
// Number by number, a missing one counting as 0.
bool version_newer(std::string_view remote, std::string_view current);
// The version the check compares with: the built-in one after an update,
// else VEMO_FAKE_VERSION (untrimmed) when set, else the built-in one.
std::string running_version(bool after_update, const std::optional<std::string>& fake_version);

// ---- Channel reads ------------------------------------------------------------------------

// The one exchange the updater makes; the product passes http_send.
using HttpSendFn = std::function<Result<HttpResponse>(const HttpRequest&)>;

// kUpdateApiBase, or the harness's loopback base when one is set.
std::string update_api_base(const std::optional<std::string>& test_base);
// "{base}/repos/{owner}/{name}/contents/{path}?ref=updates" (path unencoded).
std::string channel_file_url(std::string_view base, std::string_view path);
// Accept, API version and, only with a token, the bearer token, in that order.
std::vector<HttpHeader> channel_headers(const std::optional<std::string>& token);
// The token: VEMO_GITHUB_TOKEN trimmed, else github.txt in the data folder trimmed.
std::optional<std::string> read_update_token();

// Reads one channel file ("latest.json" or "VemoIsland.exe"); the error is a
// Turkish text. `deadline` bounds each exchange of the read as a whole.
Result<std::string> fetch_channel_file(const HttpSendFn& http, std::string_view base, std::string_view path,
                                       const std::optional<std::string>& token,
                                       std::optional<std::chrono::milliseconds> deadline = std::nullopt);

// ---- One check ----------------------------------------------------------------------------

// File operations of the swap; the errors carry the system's message text.
struct SwapFiles {
    std::function<Result<std::string>()> exe_path;
    std::function<Status(const std::string& path, std::string_view bytes)> write;
    std::function<bool(const std::string& path)> remove;
    std::function<Status(const std::string& from, const std::string& to)> rename;
};
// The real files of this platform (update_win.cpp / update_native.cpp).
SwapFiles system_swap_files();

// Everything one check needs from outside.
struct UpdateCheckSetup {
    std::string api_base = kUpdateApiBase;
    std::optional<std::string> token;
    std::string current_version = kAppVersion;
    HttpSendFn http;
    SwapFiles files;
};
// The setup of this process: token, channel base, running version, WinHTTP, files.
UpdateCheckSetup process_check_setup(bool after_update);

// Writes the new executable beside the running one and swaps the two names,
// moving the previous one back when the second rename fails.
Status swap_in_executable(const SwapFiles& files, std::string_view bytes);
// One complete check; blocking.
UpdateOutcome check_and_install(const UpdateCheckSetup& setup);

// The "--update-now" log text ("up to date", "installed v{}", "error {}") and exit code (3, 0, 1).
std::string update_now_text(const UpdateOutcome& outcome);
int update_now_exit_code(const UpdateOutcome& outcome);

// ---- The update thread --------------------------------------------------------------------

struct UpdateThreadConfig {
    std::chrono::milliseconds first_wait{20'000};
    std::chrono::milliseconds period{21'600'000};  // six hours
    std::function<UpdateOutcome()> check;          // one check
    std::function<void()> notify;                  // posts WM_APP_UPDATE to the island
    std::function<void()> cleanup;                 // removes the previous executable
};

struct UpdateWorker {
    Shared<UpdateState> state;
    Sender<UpdateRequest> requests;
};

// The thread body: a check after the first wait, then every period or on
// request; returns when every sender is gone.
void update_thread(const UpdateThreadConfig& config, Receiver<UpdateRequest> requests, Shared<UpdateState> state);
// Starts the detached "update" thread; when it cannot start, the state keeps
// its initial values and the sender reaches nobody.
UpdateWorker spawn_update_thread(UpdateThreadConfig config);

// ---- Old-executable clean-up --------------------------------------------------------------

// Deletes VemoIsland.old.exe beside the running executable, retrying while the
// previous process still holds it.
void cleanup_old_exe();
