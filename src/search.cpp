// Search rows and ranking.
//
// Index of this file:
//   - Settings table
//   - Installed-apps index (filtering and de-duplication)
//   - App match scoring
//   - Rows for a query (search_rows)
//   - Rows of the search page and what running a row does

#include "search.h"

#include <algorithm>
#include <limits>
#include <unordered_set>
#include <utility>

#include <fmt/format.h>

#include "search_calc.h"
#include "sys_text.h"

// ---- Settings table ---------------------------------------------------------

const std::array<SettingsEntry, 23> SETTINGS_TABLE = {{
    {"bluetooth kulaklık cihaz", "Bluetooth ve cihazlar", "ms-settings:bluetooth"},
    {"wifi wi-fi kablosuz ağ internet", "Wi\u2011Fi", "ms-settings:network-wifi"},
    {"ekran çözünürlük monitör ölçek", "Ekran", "ms-settings:display"},
    {"ses hoparlör mikrofon çıkış", "Ses", "ms-settings:sound"},
    {"bildirim rahatsız", "Bildirimler", "ms-settings:notifications"},
    {"güç pil batarya uyku enerji", "Güç ve pil", "ms-settings:powersleep"},
    {"depolama disk alan", "Depolama", "ms-settings:storagesense"},
    {"uygulama yüklü kaldır program", "Yüklü uygulamalar", "ms-settings:appsfeatures"},
    {"varsayılan tarayıcı", "Varsayılan uygulamalar", "ms-settings:defaultapps"},
    {"arka plan duvar kağıdı", "Arka plan", "ms-settings:personalization-background"},
    {"renk tema karanlık açık", "Renkler", "ms-settings:colors"},
    {"fare mouse dokunmatik touchpad", "Fare ve dokunmatik yüzey", "ms-settings:mousetouchpad"},
    {"klavye dil bölge", "Dil ve bölge", "ms-settings:regionlanguage"},
    {"saat tarih zaman", "Tarih ve saat", "ms-settings:dateandtime"},
    {"gizlilik izin kamera konum", "Gizlilik ve güvenlik", "ms-settings:privacy"},
    {"güncelleme update", "Windows Update", "ms-settings:windowsupdate"},
    {"yazıcı printer tarayıcı", "Yazıcılar ve tarayıcılar", "ms-settings:printers"},
    {"oyun game bar", "Oyun", "ms-settings:gaming-gamebar"},
    {"hesap kullanıcı profil", "Hesap bilgileri", "ms-settings:yourinfo"},
    {"başlangıç açılış startup", "Başlangıç uygulamaları", "ms-settings:startupapps"},
    {"gece ışığı mavi", "Gece ışığı", "ms-settings:nightlight"},
    {"vpn", "VPN", "ms-settings:network-vpn"},
    {"hakkında sistem bilgi bilgisayar", "Sistem hakkında", "ms-settings:about"},
}};

namespace {

constexpr const char* kLabelApp = "Uygulama";
constexpr const char* kLabelSetting = "Windows Ayarları";
constexpr const char* kLabelReminder = "Hatırlatıcı kur";
constexpr const char* kLabelGemini = "Gemini";
constexpr const char* kLabelCalc = "Hesap · Enter ile kopyala";
constexpr const char* kLabelLink = "Bağlantıyı aç";
constexpr const char* kLabelWeb = "Google";

constexpr std::string_view kTranslatePrompt =
    "Şunu çevir (Türkçeyse İngilizceye, değilse Türkçeye), sadece çeviriyi yaz: ";
constexpr std::string_view kAppsFolderPrefix = "shell:AppsFolder\\";

// The table folded once: the title and each keyword as search compares them.
struct FoldedSetting {
    std::string title;
    std::vector<std::string> keywords;
};

const std::vector<FoldedSetting>& folded_settings() {
    static const std::vector<FoldedSetting> table = [] {
        std::vector<FoldedSetting> out;
        for (const auto& e : SETTINGS_TABLE) {
            FoldedSetting f;
            f.title = fold_search_text(e.title);
            std::string_view kw = e.keywords;
            while (!kw.empty()) {
                size_t sp = kw.find(' ');
                std::string_view word = kw.substr(0, sp);
                if (!word.empty()) f.keywords.push_back(fold_search_text(word));
                kw = sp == std::string_view::npos ? std::string_view() : kw.substr(sp + 1);
            }
            out.push_back(std::move(f));
        }
        return out;
    }();
    return table;
}

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

bool contains_white_space(std::string_view s) {
    for (size_t i = 0; i < s.size();)
        if (is_white_space(next_code_point(s, i))) return true;
    return false;
}

// ---- Installed-apps index ---------------------------------------------------

bool is_unwanted_app(std::string_view key) {
    return key.find("uninstall") != std::string_view::npos || key.find("kaldir") != std::string_view::npos ||
           key.find("readme") != std::string_view::npos;
}

// ---- App match scoring ------------------------------------------------------

// The folded query, analysed once for the whole app list.
struct PreparedQuery {
    std::string_view text;
    bool all_alphanumeric = true;         // may it lie inside one word?
    size_t char_count = 0;                // code points
    std::vector<std::string_view> chars;  // non-space code points, as UTF-8 bytes
};

PreparedQuery prepare_query(std::string_view qf) {
    PreparedQuery p;
    p.text = qf;
    for (size_t i = 0; i < qf.size();) {
        size_t at = i;
        char32_t c = next_code_point(qf, i);
        ++p.char_count;
        if (!is_alphanumeric(c)) p.all_alphanumeric = false;
        if (c != U' ') p.chars.push_back(qf.substr(at, i - at));
    }
    return p;
}

bool is_alphanumeric_byte_seq(std::string_view s, size_t at) {
    unsigned char b = static_cast<unsigned char>(s[at]);
    if (b < 0x80) return is_ascii_letter(static_cast<char>(b)) || is_ascii_digit(static_cast<char>(b));
    return is_alphanumeric(next_code_point(s, at));
}

// True when the code point ending just before byte `at` is not alphanumeric.
bool starts_word_at(std::string_view s, size_t at) {
    if (at == 0) return true;
    size_t prev = at - 1;
    while (prev > 0 && at - prev < 4 && (static_cast<unsigned char>(s[prev]) & 0xC0) == 0x80) --prev;
    return !is_alphanumeric_byte_seq(s, prev);
}

// Nothing when the key scores below `at_least` (a score the caller could not
// use): each kind of match is looked for only while its best score, which
// falls with the key's length, can still reach that floor.
std::optional<int32_t> score_prepared(const PreparedQuery& q, std::string_view key,
                                      int32_t at_least = std::numeric_limits<int32_t>::min()) {
    const int32_t len = static_cast<int32_t>(std::min<size_t>(key.size(), 1u << 20));
    if (key == q.text) return 1000;
    if (800 - len < at_least) return std::nullopt;
    if (key.starts_with(q.text)) return 800 - len;
    if (600 - len < at_least) return std::nullopt;
    size_t first = key.find(q.text);
    if (first != std::string_view::npos) {
        if (q.all_alphanumeric) {
            for (size_t p = first; p != std::string_view::npos; p = key.find(q.text, p + 1))
                if (starts_word_at(key, p)) return 600 - len;
        }
        return 400 - len;
    }
    if (q.char_count < 2 || 100 - len < at_least) return std::nullopt;
    // Whole UTF-8 sequences found in valid UTF-8 always sit on character boundaries.
    size_t pos = 0;
    for (std::string_view ch : q.chars) {
        size_t found = key.find(ch, pos);
        if (found == std::string_view::npos) return std::nullopt;
        pos = found + ch.size();
    }
    return 100 - len;
}

// ---- Rows for a query -------------------------------------------------------

std::optional<std::string> link_url(std::string_view q) {
    if (contains_white_space(q) || q.find('.') == std::string_view::npos || q.front() == '.' || q.back() == '.')
        return std::nullopt;
    if (q.starts_with("http://") || q.starts_with("https://")) return std::string(q);
    std::string_view host = q.substr(0, q.find('/'));
    size_t dot = host.rfind('.');
    std::string_view tld = dot == std::string_view::npos ? host : host.substr(dot + 1);
    if (tld.size() < 2 || !std::all_of(tld.begin(), tld.end(), is_ascii_letter)) return std::nullopt;
    bool host_ok = std::all_of(host.begin(), host.end(), [](char c) {
        return is_ascii_letter(c) || is_ascii_digit(c) || c == '-' || c == '.';
    });
    if (!host_ok) return std::nullopt;
    return "https://" + std::string(q);
}

bool setting_matches(const FoldedSetting& s, std::string_view qf) {
    if (s.title.find(qf) != std::string::npos) return true;
    return std::any_of(s.keywords.begin(), s.keywords.end(),
                       [&](const std::string& k) { return k.starts_with(qf); });
}

SearchRow make_row(SearchRowKind kind, std::string target, std::string title, const char* label) {
    SearchRow r;
    r.kind = kind;
    r.target = std::move(target);
    r.title = std::move(title);
    r.label = label;
    return r;
}

// The first n code points removed.
std::string_view drop_chars(std::string_view s, size_t n) {
    size_t i = 0;
    for (size_t k = 0; k < n && i < s.size(); ++k) next_code_point(s, i);
    return s.substr(i);
}

}  // namespace

// ---- Installed-apps index ---------------------------------------------------

std::vector<AppEntry> build_app_index(const std::vector<RawAppItem>& items) {
    std::vector<AppEntry> list;
    std::unordered_set<std::string> seen;
    for (const auto& item : items) {
        if (item.name.empty() || item.id.empty() || item.id.starts_with("http")) continue;
        std::string key = fold_search_text(item.name);
        if (is_unwanted_app(key)) continue;
        if (!seen.insert(key).second) continue;  // the first of equal names stays
        list.push_back(AppEntry{item.name, std::move(key), item.id});
    }
    return list;
}

AppList::AppList(std::vector<AppEntry> apps) : entries_(std::move(apps)) {
    size_t total = 0;
    for (const AppEntry& app : entries_) total += app.key.size();
    keys_.reserve(total);
    key_start_.reserve(entries_.size() + 1);
    for (const AppEntry& app : entries_) {
        keys_ += app.key;
        key_start_.push_back(keys_.size());
    }
}

void publish_apps(const SharedAppsIndex& index, AppList apps) {
    AppListRef next = std::make_shared<const AppList>(std::move(apps));
    AppListRef old;
    if (auto guard = index.lock()) {
        old = std::exchange((*guard)->apps, std::move(next));
        (*guard)->ready = true;
    }
    // `old` (or the dropped list) is freed here, after the lock is let go.
}

AppListRef published_apps(const SharedAppsIndex& index) {
    static const AppListRef empty = std::make_shared<const AppList>();
    AppListRef list;
    if (auto guard = index.lock()) list = (*guard)->apps;
    return list ? list : empty;
}

// ---- App match scoring ------------------------------------------------------

std::optional<int32_t> app_match_score(std::string_view folded_query, const AppEntry& app) {
    return score_prepared(prepare_query(folded_query), app.key);
}

// ---- Rows for a query -------------------------------------------------------

std::vector<SearchRow> search_rows(const AppList& apps, std::string_view query, size_t max_rows) {
    std::vector<SearchRow> rows;
    const std::string_view q = trim(query);
    if (q.empty()) return rows;

    if (auto r = calc_result_text(q)) rows.push_back(make_row(SearchRowKind::Calc, *r, "= " + *r, kLabelCalc));

    if (auto url = link_url(q)) rows.push_back(make_row(SearchRowKind::Link, *url, *url, kLabelLink));

    const std::string qf = fold_search_text(q);
    const PreparedQuery prepared = prepare_query(qf);
    const size_t reserved = rows.size() + 1;  // one slot always stays for the web row
    const size_t app_slots = max_rows > reserved ? max_rows - reserved : 0;
    if (app_slots > 0) {
        struct Scored {
            int32_t score;
            size_t name_len;
            size_t index;
        };
        // Ordering by list position last makes this total order equal to a stable sort.
        auto better = [](const Scored& a, const Scored& b) {
            if (a.score != b.score) return a.score > b.score;
            if (a.name_len != b.name_len) return a.name_len < b.name_len;
            return a.index < b.index;
        };
        // Only the best few are kept, in order: no allocation per matching app.
        std::array<Scored, kSearchMaxRows> kept;
        const size_t slots = std::min(app_slots, kept.size());
        size_t n = 0;
        for (size_t i = 0; i < apps.size(); ++i) {
            // A full list is only entered by a score at least as high as its last one.
            const int32_t floor = n == slots ? kept[n - 1].score : std::numeric_limits<int32_t>::min();
            auto s = score_prepared(prepared, apps.key(i), floor);
            if (!s) continue;
            Scored c{*s, apps[i].name.size(), i};
            if (n == slots && !better(c, kept[n - 1])) continue;
            size_t at = n < slots ? n++ : n - 1;
            for (; at > 0 && better(c, kept[at - 1]); --at) kept[at] = kept[at - 1];
            kept[at] = c;
        }
        for (size_t k = 0; k < n; ++k) {
            const AppEntry& app = apps[kept[k].index];
            rows.push_back(make_row(SearchRowKind::App, app.id, app.name, kLabelApp));
        }
    }

    if (prepared.char_count >= 3) {
        const auto& folded = folded_settings();
        int matches = 0;
        for (size_t i = 0; i < SETTINGS_TABLE.size(); ++i) {
            if (matches == 2 || rows.size() + 1 >= max_rows) break;
            if (!setting_matches(folded[i], qf)) continue;
            rows.push_back(make_row(SearchRowKind::Setting, SETTINGS_TABLE[i].address, SETTINGS_TABLE[i].title,
                                    kLabelSetting));
            ++matches;
        }
    }

    rows.push_back(make_row(SearchRowKind::Web, std::string(q), "\u201C" + std::string(q) + "\u201D için web'de ara",
                            kLabelWeb));
    return rows;
}

std::string web_search_url(std::string_view query) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "https://www.google.com/search?q=";
    for (char ch : query) {
        auto b = static_cast<unsigned char>(ch);
        if (is_ascii_letter(ch) || is_ascii_digit(ch) || ch == '-' || ch == '.' || ch == '_' || ch == '~') {
            url += ch;
        } else if (ch == ' ') {
            url += '+';
        } else {
            url += '%';
            url += kHex[b >> 4];
            url += kHex[b & 0xF];
        }
    }
    return url;
}

// ---- Rows of the search page and what running a row does --------------------

std::vector<SearchRow> search_page_rows(const AppList& apps, std::string_view query, TimeOfDay now,
                                        bool signed_in) {
    std::vector<SearchRow> rows = search_rows(apps, query, kSearchMaxRows);
    auto keep_limit = [&] {
        if (rows.size() > kSearchMaxRows) rows.resize(kSearchMaxRows);
    };

    if (auto r = parse_reminder(query, now)) {
        std::string title = r->text + " · " + format_time_until(r->delay, now);
        rows.insert(rows.begin(), make_row(SearchRowKind::Reminder, std::string(query), std::move(title), kLabelReminder));
        keep_limit();
    }
    if (!signed_in) return rows;

    const std::string_view q = trim(query);
    bool blocks_ask = std::any_of(rows.begin(), rows.end(), [](const SearchRow& r) {
        return r.kind == SearchRowKind::Reminder || r.kind == SearchRowKind::Calc;
    });
    if (char_count(q) >= 3 && !blocks_ask) {
        auto at = rows.empty() ? rows.begin() : rows.end() - 1;
        rows.insert(at, make_row(SearchRowKind::Gemini, std::string(q), "Gemini'ye sor: " + std::string(q), kLabelGemini));
        keep_limit();
    }

    // Folded as search folds names: "ÇEVİR:" lowers to "çevi̇r:" with a combining dot.
    size_t prefix_chars = 0;
    const std::string head6 = fold_search_text(take_chars(q, 6));
    if (head6 == "cevir:" || head6 == "cevir ") prefix_chars = 6;
    else if (fold_search_text(take_chars(q, 10)) == "translate ") prefix_chars = 10;
    if (prefix_chars > 0) {
        std::string rest(trim(drop_chars(q, prefix_chars)));
        if (!rest.empty()) {
            rows.insert(rows.begin(), make_row(SearchRowKind::Gemini, std::string(kTranslatePrompt) + rest,
                                               "Gemini ile çevir: " + rest, kLabelGemini));
            keep_limit();
        }
    }
    return rows;
}

std::optional<std::string> search_row_open_target(const SearchRow& row) {
    switch (row.kind) {
    case SearchRowKind::App: return std::string(kAppsFolderPrefix) + row.target;
    case SearchRowKind::Setting:
    case SearchRowKind::Link: return row.target;
    case SearchRowKind::Web: return web_search_url(row.target);
    default: return std::nullopt;
    }
}

SearchNotice reminder_row_notice(const std::optional<std::string>& when) {
    if (!when) return SearchNotice{"Hatırlatıcı kurulamadı", ""};
    return SearchNotice{"Hatırlatıcı kuruldu", *when};
}
