// The launcher's App side: rebuilding the rows after an edit, running a row,
// and adding a reminder from a typed phrase.
#include "app.h"
#include "sys_clipboard.h"
#include "sys_os.h"

namespace {

// The calculator's own clipboard write must not land in the history.
constexpr double kCalcCopyIgnore = 0.5;
constexpr double kCalcNoticeSeconds = 1.8;

TimeOfDay time_of_day() {
    LocalTime t = local_time();
    return TimeOfDay{static_cast<uint32_t>(t.hour), static_cast<uint32_t>(t.minute), static_cast<uint32_t>(t.second)};
}

}  // namespace

std::optional<std::string> App::add_reminder(std::string_view phrase) {
    std::optional<std::string> when = add_reminder_to(lists.reminders, lists.next_id, phrase, time_of_day(), unix_now_secs());
    if (!when) return std::nullopt;
    save_state();
    drawing.redraw = true;
    return when;
}

void App::update_search() {
    // Only the pointer is taken under the lock; the list itself never changes.
    AppListRef installed = published_apps(search_page.apps);
    search_page.rows = search_page_rows(*installed, search_page.text, time_of_day(), google.snap.signed_in);
    search_page.sel = 0;
    drawing.redraw = true;
}

std::optional<WindowEffect> App::run_search_row(size_t index) {
    if (index >= search_page.rows.size()) return std::nullopt;
    SearchRow row = search_page.rows[index];
    auto clear_query = [&] {
        search_page.text.clear();
        search_page.rows.clear();
    };

    if (std::optional<std::string> target = search_row_open_target(row)) {
        clear_query();
        close_for_hand_off();  // the desktop goes to the program being opened
        return effect::OpenUrl{std::move(*target), std::nullopt};
    }

    switch (row.kind) {
    case SearchRowKind::Gemini:
        clear_query();
        island.focus = TextField::None;
        island.page = island.remembered_page = Page::Gemini;
        drawing.redraw = true;
        send_google_command(gcmd::Ask{std::move(row.target)});
        return std::nullopt;
    case SearchRowKind::Reminder: {
        // The time of day may have moved past the phrase since the row was built.
        std::optional<std::string> when = add_reminder(row.target);
        clear_query();
        close_island();
        SearchNotice notice = reminder_row_notice(when);
        show_info(notice.title, notice.body);
        return std::nullopt;
    }
    case SearchRowKind::Calc:
        if (!island.quiet) set_clipboard_text(drawing.window, row.target);
        lists.ignore_clipboard_until = now + kCalcCopyIgnore;
        notices.title = "= " + row.target;
        notices.body.clear();
        clear_query();
        close_island();
        show_hud(HudKind::Clipboard, kCalcNoticeSeconds);
        return std::nullopt;
    default: return std::nullopt;
    }
}
