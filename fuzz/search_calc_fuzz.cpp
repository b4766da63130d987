// libFuzzer target: the calculator and the whole search-row builder on any query.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "search.h"
#include "search_calc.h"
#include "sys_text.h"

namespace {

const std::vector<AppEntry>& fake_apps() {
    static const std::vector<AppEntry> apps = [] {
        std::vector<AppEntry> out;
        for (const char* n : {"Hesap Makinesi", "Görev Yöneticisi", "Spotify", "Not Defteri", "Épée 2", "İstanbul"})
            out.push_back(AppEntry{n, fold_search_text(n), n});
        return out;
    }();
    return apps;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view query(reinterpret_cast<const char*>(data), size);
    if (auto r = calc_result_text(query)) {
        if (r->empty()) std::abort();
    }
    auto rows = search_page_rows(fake_apps(), query, TimeOfDay{12, 30, 0}, true);
    if (rows.size() > kSearchMaxRows) std::abort();
    auto probe = search_rows(fake_apps(), query, 4);
    if (probe.size() > 4) std::abort();
    if (!probe.empty() && probe.back().kind != SearchRowKind::Web) std::abort();
    for (const auto& row : rows)
        if (auto t = search_row_open_target(row); t && t->empty()) std::abort();
    return 0;
}
