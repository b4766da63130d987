// The search page as a launcher: result rows for a query (calculator, link,
// installed apps, Windows settings, web search, and on the page also a
// reminder and the assistant), app match scoring, the settings table and the
// installed-apps index that the "apps" thread fills.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "remind.h"
#include "sys_shared.h"

// ---- Rows -------------------------------------------------------------------

enum class SearchRowKind : uint64_t { App = 0, Setting = 1, Reminder = 2, Gemini = 3, Calc = 4, Link = 5, Web = 6 };

struct SearchRow {
    SearchRowKind kind = SearchRowKind::Web;
    std::string target;       // what running the row uses
    std::string title;        // the text shown on the row
    const char* label = "";   // static text beside the title
};

// ---- Installed apps ---------------------------------------------------------

struct AppEntry {
    std::string name;  // display name as the shell shows it
    std::string key;   // fold_search_text(name): what matching and de-duplication compare
    std::string id;    // parsing name inside the Applications folder
};

// The apps a search ranks. Every folded key is also kept back to back in one
// block, so a keystroke reads the keys in one forward pass instead of chasing
// a separate heap string per app. A published list is never changed in place:
// a new index replaces it whole, so a search holds one without a lock and
// without copying it.
class AppList {
public:
    AppList() = default;
    AppList(std::vector<AppEntry> apps);  // NOLINT: a plain list reads as one
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const AppEntry& operator[](size_t i) const { return entries_[i]; }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }
    // entries_[i].key, read from the block.
    std::string_view key(size_t i) const {
        return std::string_view(keys_.data() + key_start_[i], key_start_[i + 1] - key_start_[i]);
    }

private:
    std::vector<AppEntry> entries_;
    std::string keys_;
    std::vector<size_t> key_start_{0};  // one more than entries_: the block's end last
};
using AppListRef = std::shared_ptr<const AppList>;

// Filled by the "apps" thread; `ready` turns true when the list is final.
struct AppsIndex {
    bool ready = false;
    AppListRef apps;  // null until a list is published
};
using SharedAppsIndex = Shared<AppsIndex>;

// Replaces the published list and marks the index ready; a poisoned lock
// drops the new list. The old list lives on while a search still holds it.
void publish_apps(const SharedAppsIndex& index, AppList apps);
// The list published last (an empty one before any, or when the lock is
// poisoned); the lock is held only to copy the pointer.
AppListRef published_apps(const SharedAppsIndex& index);

// One item as the shell enumerates it.
struct RawAppItem {
    std::string name;
    std::string id;
};

// Builds the index from enumerated items in their order: drops items with an
// empty name or id, web links (id beginning with "http"), uninstallers and
// read-me documents, and later items whose folded name repeats an earlier one.
std::vector<AppEntry> build_app_index(const std::vector<RawAppItem>& items);

// Starts the detached "apps" thread that fills the returned index once.
SharedAppsIndex spawn_apps_thread();
// Reads the shell's Applications folder (possibly empty); runs on the "apps" thread.
std::vector<AppEntry> list_installed_apps();

// ---- Settings pages ---------------------------------------------------------

struct SettingsEntry {
    const char* keywords;  // space-separated words
    const char* title;
    const char* address;   // "ms-settings:" address
};
extern const std::array<SettingsEntry, 23> SETTINGS_TABLE;

// ---- Ranking and rows -------------------------------------------------------

// Search-page row limit; the system probe asks for 4.
constexpr size_t kSearchMaxRows = 6;

// Score of an app for an already folded query: 1000 exact, 800 prefix,
// 600 word prefix, 400 substring, 100 letters in order (each minus the folded
// name's byte length); nothing when it does not match.
std::optional<int32_t> app_match_score(std::string_view folded_query, const AppEntry& app);

// Calculator, link, app, settings and web rows for a query; no rows for a blank query.
std::vector<SearchRow> search_rows(const AppList& apps, std::string_view query, size_t max_rows);

// Google web search address for a query ("a b" -> ".../search?q=a+b").
std::string web_search_url(std::string_view query);

// ---- What the App's search methods use --------------------------------------

// The search page's full row list: search_rows, then the reminder row at the
// front, the assistant's ask row before the web row and its translate row at
// the front (those two only when signed in), never more than kSearchMaxRows.
std::vector<SearchRow> search_page_rows(const AppList& apps, std::string_view query,
                                        TimeOfDay now, bool signed_in);

// The address a row of kind App, Setting, Link or Web opens; nothing for the
// kinds that act inside the island (Reminder, Gemini, Calc).
std::optional<std::string> search_row_open_target(const SearchRow& row);

struct SearchNotice {
    std::string title;
    std::string body;
};
// The notice after a reminder row ran, from add_reminder's when-text: a phrase
// that no longer parses says so rather than claiming success.
SearchNotice reminder_row_notice(const std::optional<std::string>& when);
