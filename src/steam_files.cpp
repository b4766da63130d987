// The Steam client's files.
//
// Index
//   Paths and text files
//   Manifests and the game list
//   Header images
//   Login user and play statistics
//   Rescan
//   Content log
#include "steam_files.h"

#include <algorithm>
#include <system_error>

#include "sys_num.h"
#include "sys_os.h"
#include "sys_text.h"

// ---- Paths and text files -----------------------------------------------------------------

namespace {

// Text files that are not UTF-8 read as missing.
std::optional<std::string> read_text(const std::string& path) {
    std::optional<std::string> text = read_file(path);
    if (!text || !is_valid_utf8(*text)) return std::nullopt;
    return text;
}

std::string steamapps(const std::string& library) { return path_join(library, "steamapps"); }

// Later pairs replace earlier ones with the same key.
SteamManifest manifest_from_text(std::string_view text) {
    SteamManifest m;
    for (VdfPair& p : vdf_pairs(text)) m[std::move(p.key)] = std::move(p.value);
    return m;
}

std::optional<uint64_t> number(const SteamManifest& m, const char* key) {
    auto it = m.find(key);
    return it == m.end() ? std::nullopt : parse_u64(it->second);
}

}  // namespace

// ---- Manifests and the game list ----------------------------------------------------------

std::optional<SteamManifest> read_app_manifest(const std::vector<std::string>& libraries, uint32_t app_id) {
    std::string name = "appmanifest_" + std::to_string(app_id) + ".acf";
    for (const std::string& lib : libraries) {
        std::optional<std::string> text = read_text(path_join(steamapps(lib), name));
        if (!text) continue;
        return manifest_from_text(*text);
    }
    return std::nullopt;
}

std::vector<SteamGameEntry> take_games(const std::vector<SteamGameEntry>& games, size_t n) {
    return std::vector<SteamGameEntry>(games.begin(), games.begin() + static_cast<std::ptrdiff_t>(std::min(n, games.size())));
}

std::vector<std::string> steam_library_folders(const std::string& steam_folder) {
    std::vector<std::string> out{steam_folder};
    std::vector<std::string> lowered{to_lower(steam_folder)};
    std::optional<std::string> text = read_text(path_join(steamapps(steam_folder), "libraryfolders.vdf"));
    if (!text) return out;
    for (const VdfPair& p : vdf_pairs(*text)) {
        if (p.key != "path") continue;
        std::string low = to_lower(p.value);
        if (std::find(lowered.begin(), lowered.end(), low) != lowered.end()) continue;
        lowered.push_back(std::move(low));
        out.push_back(p.value);
    }
    return out;
}

std::optional<SteamGameEntry> steam_game_from_manifest(const SteamManifest& m) {
    std::optional<uint64_t> id = number(m, "appid");
    if (!id || *id > UINT32_MAX) return std::nullopt;
    auto name_it = m.find("name");
    std::string name = name_it == m.end() ? std::string() : name_it->second;
    if (name.find("Redistributable") != std::string::npos || name.starts_with("Proton") ||
        name.find("Steam Linux Runtime") != std::string::npos)
        return std::nullopt;
    SteamGameEntry g;
    g.name = std::move(name);
    g.app_id = static_cast<uint32_t>(*id);
    g.size = number(m, "SizeOnDisk").value_or(0);
    g.update_required = (number(m, "StateFlags").value_or(0) & 2) != 0;
    return g;
}

std::vector<SteamGameEntry> steam_scan_games(const std::vector<std::string>& libraries) {
    std::vector<SteamGameEntry> games;
    for (const std::string& lib : libraries) {
        std::string dir = steamapps(lib);
        for (const std::string& name : folder_names(dir)) {
            if (!name.starts_with("appmanifest_") || !name.ends_with(".acf")) continue;
            std::optional<std::string> text = read_text(path_join(dir, name));
            if (!text) continue;
            if (auto g = steam_game_from_manifest(manifest_from_text(*text))) games.push_back(std::move(*g));
        }
    }
    return games;
}

// ---- Header images ------------------------------------------------------------------------

std::vector<std::string> steam_header_candidates(const std::string& steam_folder, uint32_t app_id) {
    std::string cache = path_join(path_join(steam_folder, "appcache"), "librarycache");
    std::string id = std::to_string(app_id);
    std::string sub = path_join(cache, id);
    std::vector<std::string> out{path_join(sub, "header.jpg"), path_join(cache, id + "_header.jpg")};
    for (const std::string& name : folder_names(sub)) {
        std::string low = to_lower(name);
        if (low.ends_with(".jpg") || low.ends_with(".png")) out.push_back(path_join(sub, name));
    }
    return out;
}

ImageRef decode_steam_header(std::string_view bytes) {
    constexpr uint32_t kHeaderSize = 260;
    auto images = decode_image(bytes, {kHeaderSize});
    if (!images || images->empty()) return nullptr;
    return std::make_shared<const Image>(std::move(images->front()));
}

ImageRef steam_header_image(const std::string& steam_folder, uint32_t app_id, const SteamImageDecoder& decode) {
    std::vector<std::string> tried;
    for (const std::string& path : steam_header_candidates(steam_folder, app_id)) {
        // header.jpg also shows up in the folder listing; one read is enough.
        if (std::find(tried.begin(), tried.end(), path) != tried.end()) continue;
        tried.push_back(path);
        std::optional<std::string> bytes = read_file(path);
        if (!bytes) continue;
        if (ImageRef image = decode(*bytes)) return image;
    }
    return nullptr;
}

// ---- Login user and play statistics -------------------------------------------------------

SteamLogin steam_login_user(const VdfBlock& loginusers, uint32_t active_user) {
    SteamLogin login;
    login.account = active_user;
    // A user block is keyed by its SteamID64; real files wrap them in "users".
    auto consider = [&](const VdfEntry& e) {
        const VdfBlock* user = std::get_if<VdfBlock>(&e.value);
        std::optional<uint64_t> id = parse_u64(e.key);
        if (!user || !id || *id < kSteamId64Base || *id - kSteamId64Base > UINT32_MAX) return false;
        uint32_t account = static_cast<uint32_t>(*id - kSteamId64Base);
        bool chosen = active_user != 0 ? account == active_user : [&] {
            const std::string* recent = vdf_string(*user, "mostrecent");
            return recent && *recent == "1";
        }();
        if (!chosen) return false;
        login.account = account;
        const std::string* persona = vdf_string(*user, "personaname");
        login.persona = persona ? *persona : std::string();
        return true;
    };
    for (const VdfEntry& e : loginusers) {
        if (const VdfBlock* users = std::get_if<VdfBlock>(&e.value); users && equal_ignoring_ascii_case(e.key, "users")) {
            for (const VdfEntry& u : *users)
                if (consider(u)) return login;
        } else if (consider(e)) {
            return login;
        }
    }
    return login;
}

SteamLogin steam_read_login(const std::string& steam_folder, uint32_t active_user) {
    std::optional<std::string> text = read_text(path_join(path_join(steam_folder, "config"), "loginusers.vdf"));
    if (!text) return {active_user, {}};
    Result<VdfBlock> doc = parse_vdf(*text);
    if (!doc) return {active_user, {}};
    return steam_login_user(*doc, active_user);
}

void steam_apply_play_stats(const VdfBlock& localconfig, std::vector<SteamGameEntry>& games) {
    const VdfBlock* apps = vdf_lookup(localconfig, {"UserLocalConfigStore", "Software", "Valve", "Steam", "apps"});
    if (!apps) return;
    for (SteamGameEntry& g : games) {
        const VdfBlock* app = vdf_block(*apps, std::to_string(g.app_id));
        if (!app) continue;
        if (const std::string* v = vdf_string(*app, "lastplayed"))
            g.last_played = static_cast<int64_t>(std::min<uint64_t>(parse_u64(*v).value_or(0), INT64_MAX));
        if (const std::string* v = vdf_string(*app, "playtime"))
            g.minutes = static_cast<uint32_t>(std::min<uint64_t>(parse_u64(*v).value_or(0), UINT32_MAX));
    }
}

void steam_read_play_stats(const std::string& steam_folder, uint32_t account, std::vector<SteamGameEntry>& games) {
    if (account == 0) return;
    std::string config = path_join(path_join(path_join(steam_folder, "userdata"), std::to_string(account)), "config");
    std::optional<std::string> text = read_text(path_join(config, "localconfig.vdf"));
    if (!text) return;
    if (Result<VdfBlock> doc = parse_vdf(*text)) steam_apply_play_stats(*doc, games);
}

// ---- Rescan -------------------------------------------------------------------------------

SteamRescan steam_rescan(const std::string& steam_folder, uint32_t active_user, const SteamImageDecoder& decode) {
    SteamRescan r;
    r.libraries = steam_library_folders(steam_folder);
    r.games = steam_scan_games(r.libraries);
    r.login = steam_read_login(steam_folder, active_user);
    // Statistics belong to the user the login rule chose, also when ActiveUser is 0.
    steam_read_play_stats(steam_folder, r.login.account, r.games);
    std::stable_sort(r.games.begin(), r.games.end(), [](const SteamGameEntry& a, const SteamGameEntry& b) {
        if (a.last_played != b.last_played) return a.last_played > b.last_played;
        if (a.name != b.name) return a.name < b.name;
        return a.app_id < b.app_id;
    });
    r.game_count = static_cast<uint32_t>(r.games.size());
    for (size_t i = 0; i < r.games.size(); ++i) {
        SteamGameEntry& g = r.games[i];
        r.total_size += g.size;
        r.update_count += g.update_required ? 1 : 0;
        // Only the games the snapshot keeps are shown, so only they need a picture.
        if (i < kSteamGamesKept) g.header = steam_header_image(steam_folder, g.app_id, decode);
    }
    return r;
}

// ---- Content log --------------------------------------------------------------------------

std::optional<std::string> read_content_log(const std::string& path, SteamLogCursor& cursor) {
    std::optional<uint64_t> length = file_size(path);
    if (!length) return std::nullopt;
    uint64_t start = !cursor.started ? (*length > kSteamLogTail ? *length - kSteamLogTail : 0)
                     : *length < cursor.position ? 0  // cleared or replaced since the last read
                                                 : cursor.position;
    cursor.started = true;
    cursor.position = start;
    if (*length <= start) return std::nullopt;
    std::optional<std::string> read = read_file_from(path, start);
    if (!read) return std::nullopt;
    std::string text = std::move(*read);
    cursor.position = start + text.size();
    if (text.empty()) return std::nullopt;
    return text;
}

namespace {

bool take_prefix(std::string_view& s, std::string_view prefix) {
    if (!s.starts_with(prefix)) return false;
    s.remove_prefix(prefix.size());
    return true;
}

// The state words the client writes, mapped to the snapshot's states.
struct StateWord {
    std::string_view word;
    uint8_t state;
};
constexpr StateWord kStateWords[] = {
    {"Update Queued", kSteamQueued},       {"Preallocating", kSteamAllocating}, {"Downloading", kSteamDownloading},
    {"Staging", kSteamPreparing},          {"Committing", kSteamInstalling},   {"Verifying", kSteamVerifying},
    {"Validating", kSteamVerifying},       {"Reconfiguring", kSteamConfiguring},
};

}  // namespace

SteamLogLine parse_content_log_line(std::string_view line) {
    SteamLogLine out;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with('[')) {
        size_t close = line.find(']');
        if (close != std::string_view::npos) {
            line.remove_prefix(close + 1);
            if (line.starts_with(' ')) line.remove_prefix(1);
        }
    }
    if (take_prefix(line, "Current download rate: ")) {
        line = trim(line);
        if (!line.ends_with("Mbps")) return out;
        line.remove_suffix(4);
        std::optional<double> mbps = parse_double(trim(line));
        if (!mbps || !(*mbps >= 0)) return out;
        out.kind = SteamLogLine::Rate;
        out.rate = *mbps * 1000000.0 * 0.125;
        return out;
    }
    if (!take_prefix(line, "AppID ")) return out;
    size_t space = line.find(' ');
    if (space == std::string_view::npos) return out;
    std::optional<uint64_t> id = parse_u64(line.substr(0, space));
    if (!id || *id > UINT32_MAX) return out;
    out.app_id = static_cast<uint32_t>(*id);
    line.remove_prefix(space + 1);

    if (take_prefix(line, "update started : download ")) {
        size_t slash = line.find('/'), comma = line.find(',');
        if (slash == std::string_view::npos || comma == std::string_view::npos || comma < slash) return out;
        std::optional<uint64_t> done = parse_u64(line.substr(0, slash));
        std::optional<uint64_t> total = parse_u64(line.substr(slash + 1, comma - slash - 1));
        if (!done || !total) return out;
        out.kind = SteamLogLine::UpdateStarted;
        out.done = *done;
        out.total = *total;
    } else if (take_prefix(line, "state changed : ")) {
        out.kind = SteamLogLine::StateChanged;
        size_t from = 0;
        while (from <= line.size()) {
            size_t comma = line.find(',', from);
            if (comma == std::string_view::npos) comma = line.size();
            std::string_view word = trim(line.substr(from, comma - from));
            if (word == "Update Paused") out.paused = true;
            else if (word == "Update Running" && !out.paused) out.paused = false;
            for (const StateWord& w : kStateWords)
                if (word == w.word && (!out.state || w.state > *out.state)) out.state = w.state;
            from = comma + 1;
        }
    } else if (line.starts_with("update canceled")) {
        out.kind = SteamLogLine::UpdateCanceled;
    } else if (line.starts_with("finished update")) {
        out.kind = SteamLogLine::UpdateFinished;
    } else if (take_prefix(line, "scheduler finished : removed from schedule (result ")) {
        out.kind = SteamLogLine::SchedulerFinished;
        out.result = std::string(trim(line.substr(0, line.find_first_of(",)"))));
    }
    return out;
}

std::vector<SteamLogLine> parse_content_log(std::string_view text) {
    std::vector<SteamLogLine> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        SteamLogLine l = parse_content_log_line(text.substr(start, end - start));
        if (l.kind != SteamLogLine::None) out.push_back(std::move(l));
        start = end + 1;
    }
    return out;
}
