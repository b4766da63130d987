// The assistant's conversation with Gemini, in pieces the Google worker puts
// together: the tool declarations every request carries, the model choice,
// the system text, the request body, the walk over the reply, the cleaning of
// the answer text and the two tools that belong to Google itself.
//
// Index
//   Tool declarations
//   Chat history
//   Model choice
//   System text and request
//   Reply
//   Google tools (calendar_add, task_add)
#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "google.h"
#include "sys_os.h"
#include "sys_result.h"

// ---- Tool declarations -----------------------------------------------------------

// {"type": "object", "properties": properties, "required": [names in order]}.
nlohmann::json tool_parameters_schema(nlohmann::json properties, std::initializer_list<const char*> required);
// [{"functionDeclarations": [the 18 functions]}], built afresh on each call.
nlohmann::json build_gemini_tools();

// ---- Chat history ------------------------------------------------------------------

inline constexpr size_t kChatFileKeep = 30;   // lines kept in gemini-chat.bin
inline constexpr size_t kChatRequestKeep = 10;  // lines a request carries

// The newest n lines, oldest first, as {"role", "parts": [{"text"}]} entries.
nlohmann::json history_to_contents(const std::vector<ChatLine>& lines, size_t n);
// The newest n lines as gemini-chat.bin entries {"u": from the user, "t": text}.
nlohmann::json history_to_file(const std::vector<ChatLine>& lines, size_t n);

// ---- Model choice ------------------------------------------------------------------

inline constexpr const char* kGeminiFallbackModel = "gemini-flash-lite-latest";

// "models/gemini-x" -> "gemini-x".
std::string gemini_model_id(std::string_view name);
// Ids of the listed models that support generateContent, in list order.
std::vector<std::string> collect_generate_models(const nlohmann::json& models);
// The lite alias, else the flash alias, else the first plain flash model,
// else the lite alias all the same.
std::string choose_gemini_model(const std::vector<std::string>& ids);
// The choice from the answer of GET /models (an error or a reply without a
// "models" array gives the lite alias).
std::string gemini_model_from_list(const Result<nlohmann::json>& reply);
std::string gemini_models_url(const GoogleEndpoints& urls);
std::string gemini_generate_url(const GoogleEndpoints& urls, std::string_view model);

// ---- System text and request ---------------------------------------------------------

// What the assistant is told about the account and the desktop.
struct AssistantFacts {
    std::string name;
    bool signed_in = false;
    uint32_t unread = 0;
    std::vector<MailItem> mails;
    std::vector<EventItem> events;
    std::vector<TaskItem> tasks;
    std::string island;  // the island's own context text, as the UI wrote it
};

extern const char* const kGeminiPersona;
inline constexpr const char* kVoicePrompt =
    "Bu kullanıcının sesli sorusu. İlk satıra 'DUYDUM: ' ve tam olarak ne dediğini yaz, sonraki satırdan itibaren "
    "cevap ver. Bir eylem gerekiyorsa fonksiyonu da çağır.";

// Turkish month name of 1..12 (0 counts as 1, above 12 as 12).
const char* turkish_month_name(int month);
// The persona, the local date and time, the account facts and the island text.
// `now` is the local time of `now_unix`; events are labelled in a zone
// `offset` seconds ahead of UTC.
std::string gemini_system_text(const AssistantFacts& facts, const LocalTime& now, int64_t now_unix, int64_t offset);
// {"role": "user", "parts": [{"inline_data": {mime, base64 data}}, {"text"}]}.
nlohmann::json gemini_inline_entry(std::string_view mime, std::string_view bytes, std::string_view text);
// The generateContent body: contents, systemInstruction, generationConfig, tools.
nlohmann::json gemini_request_body(nlohmann::json contents, std::string_view system_text);

// ---- Reply ---------------------------------------------------------------------------------

struct GeminiReply {
    std::string text;             // the text parts joined as they come
    std::vector<ToolCall> calls;  // function calls in reply order
};
// Walks "/candidates/0/content/parts"; a reply without parts is empty.
GeminiReply read_gemini_reply(const nlohmann::json& reply);

struct AnswerText {
    std::optional<std::string> heard;  // the spoken question, from a "DUYDUM:" first line
    std::string text;
};
// Every "**" removed and the text trimmed; a first line "DUYDUM: ..." becomes
// the heard text and the lines after it the answer.
AnswerText clean_answer_text(std::string_view text);

// ---- Google tools (calendar_add, task_add) -------------------------------------------------

inline constexpr int64_t kEventDefaultMinutes = 60;
inline constexpr int64_t kEventLongestMinutes = 7 * 24 * 60;

// Whether a call is run by the Google worker rather than by the island.
bool is_google_tool(std::string_view name);

// The zone's offset from UTC at a Unix time (local_utc_offset in the product).
using OffsetAt = std::function<int64_t(int64_t)>;

struct NewEvent {
    std::string title;
    int64_t start = 0, end = 0;  // Unix seconds; an all-day event runs midnight to midnight, local
    bool all_day = false;
    nlohmann::json body;  // what the Calendar API is sent
};
// A calendar_add call's event. "start" is local wall time ("YYYY-MM-DDTHH:MM",
// with seconds, or a date alone for an all-day event) unless it names its
// zone ("Z", "+hh:mm", "-hh:mm"). Errors: "eksik bilgi", "tarih anlaşılmadı",
// "saat anlaşılmadı".
Result<NewEvent> calendar_event_from_args(const nlohmann::json& args, const OffsetAt& offset_at);
std::string calendar_insert_url(const GoogleEndpoints& urls);
// "{label} ({error})." or, for a 403, the permission sentence with the label.
std::string google_tool_failure(std::string_view label, std::string_view error);
