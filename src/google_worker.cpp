// The "google" worker: start-up, commands, polls and the sign-in.
//
// Index
//   Helpers
//   Start-up
//   Sign-in
//   Commands
//   Periodic step
//   Thread
//   Status line
#include "google_worker.h"

#include <chrono>
#include <memory>

#include <fmt/format.h>

#include "google_files.h"
#include "google_gemini.h"
#include "google_signin.h"
#include "google_text.h"
#include "sys_log.h"
#include "sys_os.h"
#include "sys_shell.h"
#include "sys_thread.h"
#include "voice.h"

namespace {

using json = nlohmann::json;

// ---- Helpers -----------------------------------------------------------------------------

template <class F>
void post(GoogleWorkerContext& ctx, F&& change) {
    post_to_ui(ctx.state, ctx.config.notify, std::forward<F>(change));
}

std::string string_member(const json& j, const char* key) {
    if (!j.is_object()) return "";
    auto it = j.find(key);
    return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

int64_t wall_now(const GoogleWorkerContext& ctx) { return ctx.config.wall_clock ? ctx.config.wall_clock() : unix_now(); }

int64_t offset_at(const GoogleWorkerContext& ctx, int64_t at) {
    return ctx.config.utc_offset ? ctx.config.utc_offset(at) : local_utc_offset(at);
}

void poll_everything_soon(GoogleWorkerContext& ctx) {
    double back = ctx.config.net.now() - kPollAgainSeconds;
    ctx.gmail_clock = back;
    ctx.calendar_clock = back;
}

// A refresh token that Google no longer accepts ends the session: the stored
// tokens go, and the page asks for a new sign-in. True when that happened.
bool session_lost(GoogleWorkerContext& ctx, const Error& error) {
    if (error.message.find("invalid_grant") == std::string::npos) return false;
    ctx.session.reset();
    remove_file(data_file(kGoogleTokensFile));
    post(ctx, [](GoogleState& s) {
        s.signed_in = false;
        s.status = "oturum süresi doldu, yeniden bağlan";
    });
    return true;
}

// A plain GET of the picture, decoded; nothing on any failure.
ImageRef fetch_picture(const GoogleWorkerContext& ctx, const std::string& url) {
    HttpRequest req;
    req.url = url;
    Result<HttpResponse> r = ctx.config.net.send(req);
    if (!r || r->status != 200 || r->body.empty()) return nullptr;
    if (ctx.config.decode_picture) return ctx.config.decode_picture(r->body);
    std::optional<std::vector<Image>> images = decode_image(r->body, {kPictureSide});
    if (!images || images->empty()) return nullptr;
    return std::make_shared<const Image>(std::move(images->front()));
}

}  // namespace

// ---- Start-up ----------------------------------------------------------------------------

std::vector<ChatLine> chat_lines_from_json(const json& doc) {
    std::vector<ChatLine> out;
    if (!doc.is_array()) return out;
    for (const json& e : doc) {
        if (!e.is_object()) continue;
        auto u = e.find("u");
        auto t = e.find("t");
        if (u == e.end() || !u->is_boolean() || t == e.end() || !t->is_string()) continue;
        out.push_back(ChatLine{t->get<std::string>(), u->get<bool>()});
    }
    return out;
}

void google_start_up(GoogleWorkerContext& ctx) {
    ctx.gmail_clock = ctx.calendar_clock = ctx.config.net.now();

    if (std::optional<json> chat = load_protected_json(kGeminiChatFile)) {
        std::vector<ChatLine> lines = chat_lines_from_json(*chat);
        post(ctx, [&](GoogleState& s) { set_chat_lines(s, lines); });
    }

    std::optional<OAuthClient> client = load_client();
    std::optional<json> tokens = load_protected_json(kGoogleTokensFile);
    if (tokens && client && tokens->is_object() && tokens->contains("refresh") && (*tokens)["refresh"].is_string()) {
        GoogleSession session;
        session.client_id = client->id;
        session.client_secret = client->secret;
        session.project = client->project;
        session.refresh_token = (*tokens)["refresh"].get<std::string>();
        session.expiry = ctx.config.net.now();  // the first request refreshes
        ctx.session = std::move(session);
        std::string email = string_member(*tokens, "email"), name = string_member(*tokens, "name");
        bool consent = scope_needs_consent(string_member(*tokens, "scope"));
        post(ctx, [&](GoogleState& s) { set_account(s, email, name, consent); });
        if (tokens->contains("picture") && (*tokens)["picture"].is_string()) {
            if (ImageRef picture = fetch_picture(ctx, (*tokens)["picture"].get<std::string>()))
                post(ctx, [&](GoogleState& s) { set_picture(s, picture); });
        }
    }
    bool have_client = client.has_value();
    post(ctx, [&](GoogleState& s) { set_client_state(s, have_client); });
}

// ---- Sign-in -----------------------------------------------------------------------------

namespace {

struct SignedIn {
    GoogleSession session;
    std::string email, name, picture;
    bool needs_consent = false;
};

Result<SignedIn> sign_in_steps(GoogleWorkerContext& ctx, const OAuthClient& client) {
    const GoogleNet& net = ctx.config.net;
    Result<Pkce> pkce = make_pkce();
    if (!pkce) return pkce.error();
    std::string redirect_uri;
    RedirectOutcome outcome;
    {
        // Only the first browser answer counts: the listener closes right after it.
        Result<LoopbackListener> listener = LoopbackListener::open();
        if (!listener) return listener.error();
        redirect_uri = fmt::format("http://127.0.0.1:{}", listener->port());
        std::string url = authorization_url(net.urls, client.id, redirect_uri, pkce->challenge, pkce->state);
        if (ctx.config.open_browser) ctx.config.open_browser(url);
        else (void)shell_open(url);
        Result<std::string> request =
            listener->serve_one(monotonic_seconds() + kSignInWaitSeconds, [&](std::string_view text) {
                outcome = judge_redirect(redirect_query(text), pkce->state);
                return loopback_response(outcome.title, outcome.body);
            });
        if (!request) return request.error();
    }
    if (!outcome.code) return make_error(outcome.error);

    Result<json> answer = post_token_form(net, code_exchange_form(*outcome.code, client, redirect_uri, pkce->verifier));
    if (!answer) return answer.error();
    if (!answer->is_object() || !answer->contains("access_token") || !(*answer)["access_token"].is_string())
        return make_error("token yok");
    SignedIn out;
    out.session.client_id = client.id;
    out.session.client_secret = client.secret;
    out.session.project = client.project;
    out.session.access_token = (*answer)["access_token"].get<std::string>();
    out.session.refresh_token = string_member(*answer, "refresh_token");
    out.session.expiry = token_expiry(net.now(), *answer);
    std::string scope = string_member(*answer, "scope");
    out.needs_consent = scope_needs_consent(scope);

    Result<json> user = api_request(net, out.session, "GET", net.urls.userinfo + "/v1/userinfo");
    if (!user) return user.error();
    out.email = string_member(*user, "email");
    out.name = string_member(*user, "name");
    out.picture = string_member(*user, "picture");

    json tokens = {{"refresh", out.session.refresh_token},
                   {"email", out.email},
                   {"name", out.name},
                   {"picture", out.picture},
                   {"scope", scope}};
    (void)save_protected_json(kGoogleTokensFile, tokens);
    return out;
}

}  // namespace

void google_sign_in(GoogleWorkerContext& ctx) {
    std::optional<OAuthClient> client = load_client();
    if (!client) {
        post(ctx, [](GoogleState& s) { on_client_missing(s); });
        return;
    }
    post(ctx, [](GoogleState& s) { set_waiting_for_browser(s); });
    Result<SignedIn> r = sign_in_steps(ctx, *client);
    if (!r) {
        std::string error = r.error().message;
        post(ctx, [&](GoogleState& s) { on_sign_in_failed(s, error); });
        return;
    }
    ImageRef picture = r->picture.empty() ? nullptr : fetch_picture(ctx, r->picture);
    write_log(fmt::format("google: bağlandı {}", r->email));
    ctx.session = std::move(r->session);
    ctx.mail_watch.reset();  // the first poll of this account only learns its inbox
    poll_everything_soon(ctx);
    post(ctx, [&](GoogleState& s) { on_signed_in(s, r->email, r->name, picture, r->needs_consent); });
}

// ---- Commands ----------------------------------------------------------------------------

namespace {

void mail_change(GoogleWorkerContext& ctx, const std::string& id, bool archive) {
    if (!ctx.session) return;
    const GoogleNet& net = ctx.config.net;
    Result<json> r = api_request(net, *ctx.session, "POST", gmail_modify_url(net.urls, id), gmail_modify_body(archive));
    if (r) {
        post(ctx, [&](GoogleState& s) { apply_mail_change(s, id, archive); });
        return;
    }
    if (session_lost(ctx, r.error())) return;
    std::string error = r.error().message;
    if (is_forbidden_error(error)) post(ctx, [](GoogleState& s) { on_gmail_forbidden(s); });
    else post(ctx, [&](GoogleState& s) { push_gmail_error(s, error); });
}

// The assistant's questions.
constexpr const char* kCalendarLabel = "Takvime ekleyemedim";
constexpr const char* kTaskLabel = "Görev ekleyemedim";
constexpr const char* kEmptyAnswer = "Gemini boş cevap verdi";
constexpr const char* kScreenLookTool = "screen_look";

// What one kind of question brings to the turn.
struct Question {
    std::optional<std::string> asked;  // the user line the request carries
    std::string shown;                 // the line the chat shows for it
    std::optional<json> attached;      // the recording or the screenshot
    bool speak = false;
    bool screen = false;  // the screen is already attached: no second look
};

Question question_of(const GoogleCommand& command) {
    Question q;
    if (const auto* c = std::get_if<gcmd::Ask>(&command)) {
        q.asked = q.shown = c->question;
    } else if (const auto* c = std::get_if<gcmd::AskVoice>(&command)) {
        q.attached = gemini_inline_entry("audio/wav", c->wav, kVoicePrompt);
        q.speak = true;
    } else if (const auto* c = std::get_if<gcmd::AskScreen>(&command)) {
        q.asked = q.shown = c->question;
        q.attached = gemini_inline_entry(
            "image/png", c->png, fmt::format("Bu kullanıcının şu anki ekran görüntüsü. Soru: {}", c->question));
        q.speak = c->speak;
        q.screen = true;
    } else if (const auto* c = std::get_if<gcmd::AskLabelled>(&command)) {
        q.asked = c->prompt;
        q.shown = c->label;
    }
    return q;
}

std::string run_calendar_add(GoogleWorkerContext& ctx, const json& args) {
    const GoogleNet& net = ctx.config.net;
    Result<NewEvent> ev = calendar_event_from_args(args, [&](int64_t at) { return offset_at(ctx, at); });
    if (!ev) return google_tool_failure(kCalendarLabel, ev.error().message);
    if (!ctx.session) return google_tool_failure(kCalendarLabel, "oturum yok");
    Result<json> r = api_request(net, *ctx.session, "POST", calendar_insert_url(net.urls), ev->body);
    if (!r) {
        std::string sentence = google_tool_failure(kCalendarLabel, r.error().message);
        session_lost(ctx, r.error());
        return sentence;
    }
    write_log(fmt::format("google: takvime eklendi ({})", string_member(*r, "id")));
    ctx.calendar_clock = net.now() - kPollAgainSeconds;
    const int64_t now = wall_now(ctx);
    return fmt::format("Takvimine ekledim: {}, {}.", ev->title,
                       day_time_text_at(ev->start, ev->all_day, now, offset_at(ctx, now)));
}

std::string run_task_add(GoogleWorkerContext& ctx, const json& args) {
    const GoogleNet& net = ctx.config.net;
    if (!ctx.session) return google_tool_failure(kTaskLabel, "oturum yok");
    Result<std::string> r = tasks_insert(net, *ctx.session, args);
    if (!r) {
        std::string sentence = google_tool_failure(kTaskLabel, r.error().message);
        session_lost(ctx, r.error());
        return sentence;
    }
    ctx.calendar_clock = net.now() - kPollAgainSeconds;
    return std::move(*r);
}

// One assistant turn: the request, the reply, the Google tools, the answer
// item and the chat file.
void answer_question(GoogleWorkerContext& ctx, const GoogleCommand& command) {
    if (!ctx.session) {
        post(ctx, [](GoogleState& s) { push_not_signed_in(s); });
        return;
    }
    const GoogleNet& net = ctx.config.net;
    Question q = question_of(command);

    std::vector<ChatLine> history;
    AssistantFacts facts;
    ctx.state.with([&](GoogleState& s) {
        history = s.chat;
        facts.name = s.name;
        facts.signed_in = s.signed_in;
        facts.unread = s.unread;
        facts.mails = s.mails;
        facts.events = s.events;
        facts.tasks = s.tasks;
        facts.island = s.context;
    });
    if (q.asked) {
        history.push_back(ChatLine{*q.asked, true});
        post(ctx, [&](GoogleState& s) { push_question_line(s, q.shown); });
    } else {
        post(ctx, [](GoogleState& s) { s.gemini_busy = true; });
    }

    if (ctx.gemini_model.empty())
        ctx.gemini_model = gemini_model_from_list(api_request(net, *ctx.session, "GET", gemini_models_url(net.urls)));
    const std::string model = ctx.gemini_model;

    const int64_t now = wall_now(ctx);
    LocalTime local;
    if (!local_time_of(now, local)) local = LocalTime{};
    json contents = history_to_contents(history, kChatRequestKeep);
    if (q.attached) contents.push_back(std::move(*q.attached));
    json body = gemini_request_body(std::move(contents), gemini_system_text(facts, local, now, offset_at(ctx, now)));
    Result<json> r = api_request(net, *ctx.session, "POST", gemini_generate_url(net.urls, model), body);
    if (!r) {
        std::string error = r.error().message;
        post(ctx, [&](GoogleState& s) { push_gemini_error(s, error); });
        session_lost(ctx, r.error());
        return;
    }

    GeminiReply reply = read_gemini_reply(*r);
    // The model's own text is cleaned before the tools add their sentences.
    AnswerText answer = clean_answer_text(reply.text);
    std::vector<ToolCall> calls;
    for (ToolCall& call : reply.calls) {
        if (is_google_tool(call.name)) {
            std::string sentence = call.name == "calendar_add" ? run_calendar_add(ctx, call.args) : run_task_add(ctx, call.args);
            if (!answer.text.empty()) answer.text += ' ';
            answer.text += sentence;
        } else if (q.screen && call.name == kScreenLookTool) {
            write_log("gemini: ekran zaten gönderildi, yeni bakış yok");
        } else {
            calls.push_back(std::move(call));
        }
    }
    if (answer.text.empty() && calls.empty()) answer.text = kEmptyAnswer;

    std::optional<std::vector<ChatLine>> chat;
    post(ctx, [&](GoogleState& s) {
        push_answer(s, model, answer.heard, answer.text, q.speak, calls);
        chat = s.chat;
    });
    // A poisoned state keeps the file as it was; a failed write is not worth a word.
    if (chat) (void)save_protected_json(kGeminiChatFile, history_to_file(*chat, kChatFileKeep));
}

}  // namespace

void google_run_command(GoogleWorkerContext& ctx, GoogleCommand command) {
    const GoogleNet& net = ctx.config.net;
    std::visit(
        [&](auto& c) {
            using T = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<T, gcmd::SignIn>) {
                google_sign_in(ctx);
            } else if constexpr (std::is_same_v<T, gcmd::SignOut>) {
                ctx.session.reset();
                ctx.mail_watch.reset();
                remove_file(data_file(kGoogleTokensFile));
                remove_file(data_file(kGeminiChatFile));
                post(ctx, [](GoogleState& s) { reset_google_state(s); });
            } else if constexpr (std::is_same_v<T, gcmd::Ask> || std::is_same_v<T, gcmd::AskVoice> ||
                                 std::is_same_v<T, gcmd::AskScreen> || std::is_same_v<T, gcmd::AskLabelled>) {
                answer_question(ctx, command);
            } else if constexpr (std::is_same_v<T, gcmd::AddTask>) {
                if (!ctx.session) return;
                Result<std::string> r = tasks_insert(net, *ctx.session, json{{"title", c.title}});
                if (r) {
                    ctx.calendar_clock = net.now() - kPollAgainSeconds;
                } else if (!session_lost(ctx, r.error())) {
                    std::string error = r.error().message;
                    post(ctx, [&](GoogleState& s) { push_task_add_error(s, error); });
                }
            } else if constexpr (std::is_same_v<T, gcmd::Refresh>) {
                poll_everything_soon(ctx);
            } else if constexpr (std::is_same_v<T, gcmd::ClearChat>) {
                post(ctx, [](GoogleState& s) { s.chat.clear(); });
                remove_file(data_file(kGeminiChatFile));
            } else if constexpr (std::is_same_v<T, gcmd::MailRead>) {
                mail_change(ctx, c.id, false);
            } else if constexpr (std::is_same_v<T, gcmd::MailArchive>) {
                mail_change(ctx, c.id, true);
            } else if constexpr (std::is_same_v<T, gcmd::TaskDone>) {
                if (!ctx.session) return;
                Status r = task_complete(net, *ctx.session, c.id);
                if (r) {
                    post(ctx, [&](GoogleState& s) { std::erase_if(s.tasks, [&](const TaskItem& t) { return t.id == c.id; }); });
                } else if (!session_lost(ctx, r.error())) {
                    std::string error = r.error().message;
                    post(ctx, [&](GoogleState& s) { push_tasks_error(s, error); });
                }
            }
        },
        command);
}

// ---- Periodic step -------------------------------------------------------------------------

void google_periodic_step(GoogleWorkerContext& ctx) {
    if (!ctx.session) return;
    const GoogleNet& net = ctx.config.net;
    double now = net.now();

    if (now - ctx.gmail_clock >= kGmailPollSeconds) {
        ctx.gmail_clock = now;
        Result<GmailPoll> poll = gmail_poll(net, *ctx.session);
        if (poll) {
            std::vector<MailItem> fresh = ctx.mail_watch.fresh(poll->mails);
            post(ctx, [&](GoogleState& s) { set_mails(s, poll->unread, poll->mails, fresh); });
        } else if (!session_lost(ctx, poll.error())) {
            std::string error = poll.error().message;
            if (is_forbidden_error(error)) post(ctx, [](GoogleState& s) { on_gmail_forbidden(s); });
            else post(ctx, [&](GoogleState& s) { push_gmail_error(s, error); });
        }
    }
    if (!ctx.session) return;

    if (now - ctx.calendar_clock >= kCalendarPollSeconds) {
        ctx.calendar_clock = now;
        Result<std::vector<EventItem>> events = calendar_fetch(net, *ctx.session, wall_now(ctx), offset_at(ctx, wall_now(ctx)));
        if (events) {
            post(ctx, [&](GoogleState& s) { set_events(s, *events); });
        } else if (!session_lost(ctx, events.error())) {
            write_log(fmt::format("google: takvim {}", events.error().message));
        }
        if (!ctx.session) return;
        Result<std::vector<TaskItem>> tasks = tasks_fetch(net, *ctx.session);
        if (tasks) post(ctx, [&](GoogleState& s) { set_tasks(s, *tasks); });
        else if (!session_lost(ctx, tasks.error())) write_log(fmt::format("google: görevler {}", tasks.error().message));
        if (!ctx.session) return;
    }

    int64_t wall = wall_now(ctx);
    std::vector<EventItem> soon;
    ctx.state.with([&](GoogleState& s) {
        for (const EventItem& e : s.events)
            if (due_soon(e, wall)) soon.push_back(e);
    });
    for (const EventItem& e : soon)
        if (ctx.announced.insert(e.id).second) post(ctx, [&](GoogleState& s) { push_event_soon(s, e); });
}

// ---- Thread ----------------------------------------------------------------------------------

void google_worker(GoogleWorkerContext& ctx, Receiver<GoogleCommand>& commands) {
    google_start_up(ctx);
    for (;;) {
        GoogleCommand command;
        RecvStatus got = commands.recv(command, std::chrono::milliseconds(kWorkerWaitMs));
        if (got == RecvStatus::Closed) return;
        if (got == RecvStatus::Value) google_run_command(ctx, std::move(command));
        google_periodic_step(ctx);
    }
}

GoogleWorker start_google_worker(GoogleWorkerConfig config) {
    auto [tx, rx] = channel<GoogleCommand>();
    GoogleWorker worker{Shared<GoogleState>(GoogleState{}), tx};
    auto ctx = std::make_shared<GoogleWorkerContext>();
    ctx->config = std::move(config);
    ctx->state = worker.state;
    auto receiver = std::make_shared<Receiver<GoogleCommand>>(std::move(rx));
    (void)spawn_detached("google", [ctx, receiver] {
        google_thread_setup();
        google_worker(*ctx, *receiver);
    });
    return worker;
}

// ---- Status line ---------------------------------------------------------------------------

std::string google_status_line() {
    std::optional<OAuthClient> client = load_client();
    std::string kind = !client ? "yok" : contains_client_id(client->id) ? "Vemo Ada Desktop" : "baska";
    bool signed_in = load_protected_json(kGoogleTokensFile).has_value();
    return fmt::format("google: client={} signed_in={} voice={}", kind, signed_in ? "true" : "false",
                       turkish_voice_name());
}
