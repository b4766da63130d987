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
    std::optional<std::string> when = add_reminder_to(reminders, next_id, phrase, time_of_day(), unix_now_secs());
    if (!when) return std::nullopt;
    save_state();
    redraw = true;
    return when;
}

void App::update_search() {
    // Only the pointer is taken under the lock; the list itself never changes.
    AppListRef installed = published_apps(apps);
    search_rows = search_page_rows(*installed, search_text, time_of_day(), google_snap.signed_in);
    search_sel_index = 0;
    redraw = true;
}

std::optional<WindowEffect> App::run_search_row(size_t index) {
    if (index >= search_rows.size()) return std::nullopt;
    SearchRow row = search_rows[index];
    auto clear_query = [&] {
        search_text.clear();
        search_rows.clear();
    };

    if (std::optional<std::string> target = search_row_open_target(row)) {
        clear_query();
        close_for_hand_off();  // the desktop goes to the program being opened
        return effect::OpenUrl{std::move(*target), std::nullopt};
    }

    switch (row.kind) {
    case SearchRowKind::Gemini:
        clear_query();
        focus = TextField::None;
        page = remembered_page = Page::Gemini;
        redraw = true;
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
        if (!quiet) set_clipboard_text(window, row.target);
        ignore_clipboard_until = now + kCalcCopyIgnore;
        hud_title = "= " + row.target;
        hud_body.clear();
        clear_query();
        close_island();
        show_hud(HudKind::Clipboard, kCalcNoticeSeconds);
        return std::nullopt;
    default: return std::nullopt;
    }
}
