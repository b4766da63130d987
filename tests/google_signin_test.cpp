// Sign-in pieces: PKCE, the authorisation address, client files, the
// loopback redirect and its page.
#include <gtest/gtest.h>

#include "google_files.h"
#include "google_sha256.h"
#include "google_signin.h"
#include "net_encode.h"
#include "sys_os.h"
#include "test_support.h"

namespace {

using json = nlohmann::json;

TEST(GoogleSignIn, PkceLengthsAndChallenge) {
    Result<Pkce> p = make_pkce();
    ASSERT_TRUE(p.ok()) << p.error().message;
    EXPECT_EQ(p->verifier.size(), 64u);
    EXPECT_EQ(p->challenge.size(), 43u);
    EXPECT_EQ(p->state.size(), 22u);
    auto digest = sha256(p->verifier);
    EXPECT_EQ(p->challenge, base64url_encode(std::string_view(reinterpret_cast<const char*>(digest.data()), 32)));
    for (const std::string* s : {&p->verifier, &p->challenge, &p->state})
        EXPECT_EQ(s->find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"), std::string::npos);
    EXPECT_NE(make_pkce()->state, p->state);

    // The RFC 7636 example: the verifier of these 32 bytes has a known challenge.
    const unsigned char bytes[] = {116, 24, 223, 180, 151, 153, 224, 37, 79, 250, 96, 125, 216, 173, 187, 186,
                                   22, 212, 37, 77, 105, 214, 191, 240, 91, 88, 5, 88, 83, 132, 141, 121};
    Pkce known = pkce_from_bytes(std::string_view(reinterpret_cast<const char*>(bytes), sizeof bytes), "");
    EXPECT_EQ(known.verifier, "dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk");
    EXPECT_EQ(known.challenge, "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
}

TEST(GoogleSignIn, AuthorisationAddressOrderAndEncoding) {
    GoogleEndpoints urls;
    std::string url = authorization_url(urls, "12-ab.apps.googleusercontent.com", "http://127.0.0.1:5123", "CH_-", "ST-_");
    EXPECT_EQ(url,
              "https://accounts.google.com/o/oauth2/v2/auth?client_id=12-ab.apps.googleusercontent.com"
              "&redirect_uri=http%3A%2F%2F127.0.0.1%3A5123&response_type=code"
              "&scope=openid%20https%3A%2F%2Fwww.googleapis.com%2Fauth%2Fuserinfo.email"
              "%20https%3A%2F%2Fwww.googleapis.com%2Fauth%2Fuserinfo.profile"
              "%20https%3A%2F%2Fwww.googleapis.com%2Fauth%2Fcloud-platform"
              "%20https%3A%2F%2Fwww.googleapis.com%2Fauth%2Fgenerative-language.retriever"
              "%20https%3A%2F%2Fwww.googleapis.com%2Fauth%2Fgmail.modify"
              "%20https%3A%2F%2Fwww.googleapis.com%2Fauth%2Fcalendar.events"
              "%20https%3A%2F%2Fwww.googleapis.com%2Fauth%2Ftasks"
              "&code_challenge=CH_-&code_challenge_method=S256&state=ST-_&access_type=offline&prompt=consent");

    struct Case {
        std::string scope;
        bool needs;
    } cases[] = {
        {google_scopes(), false},
        {"https://www.googleapis.com/auth/calendar.events https://www.googleapis.com/auth/gmail.modify", true},
        {"auth/tasks auth/calendar.events auth/gmail.modify", false},
        {"", true},
    };
    for (auto& c : cases) EXPECT_EQ(scope_needs_consent(c.scope), c.needs) << c.scope;
}

TEST(GoogleSignIn, ClientDocuments) {
    struct Case {
        json doc;
        std::optional<std::string> id;
        std::string project;
    } cases[] = {
        {{{"installed", {{"client_id", "i"}, {"client_secret", "s"}, {"project_id", "p"}}}}, "i", "p"},
        {{{"web", {{"client_id", "w"}, {"client_secret", "s"}}}}, "w", ""},
        {{{"installed", {{"client_id", "i"}}}, {"web", {{"client_id", "w"}, {"client_secret", "s"}}}}, std::nullopt, ""},
        {{{"installed", "x"}, {"web", {{"client_id", "w"}, {"client_secret", "s"}}}}, "w", ""},
        {{{"installed", {{"client_id", 1}, {"client_secret", "s"}}}}, std::nullopt, ""},
        {json::array(), std::nullopt, ""},
    };
    for (auto& c : cases) {
        auto client = client_from_download(c.doc);
        EXPECT_EQ(client ? std::optional<std::string>(client->id) : std::nullopt, c.id) << c.doc.dump();
        if (client) {
            EXPECT_EQ(client->project, c.project);
        }
    }
    auto stored = client_from_stored(client_to_stored(OAuthClient{"i", "s", "p"}));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->secret, "s");
    EXPECT_EQ(stored->project, "p");
    EXPECT_TRUE(client_from_stored(json{{"id", "i"}, {"secret", "s"}}));
    EXPECT_FALSE(client_from_stored(json{{"id", "i"}}));
}

TEST(GoogleSignIn, ClientFileNamesAndOrder) {
    struct Case {
        std::string name;
        bool client;
    } names[] = {{"client_secret.json", true},  {"client_secret_123.apps.json", true}, {"CLIENT_SECRET_X.JSON", true},
                 {"client_secret", false},      {"my_client_secret.json", false},      {"client_secret.json.txt", false}};
    for (auto& c : names) EXPECT_EQ(is_client_file_name(c.name), c.client) << c.name;

    std::string ours = std::string("client_secret_") + kBuiltInClientId + ".apps.googleusercontent.com.json";
    std::string upper = "CLIENT_SECRET_418305927164-Q3H8XK2M5WZ0P7C4N1D6R9T2B5V8Y0LS.json";
    std::vector<std::string> paths = {"/d/client_secret_a.json", "/e/client_secret_b.json", "/e/" + ours, "/f/" + upper};
    order_client_candidates(paths);
    EXPECT_EQ(paths, (std::vector<std::string>{"/e/" + ours, "/f/" + upper, "/d/client_secret_a.json",
                                               "/e/client_secret_b.json"}));
}

TEST(GoogleSignIn, ImportSearchesTheProfileFoldersInOrder) {
    ScopedDataDir data;
    std::string profile = test_temp_dir("-profil");
    auto folders = client_search_folders(profile);
    ASSERT_EQ(folders.size(), 4u);
    for (auto& f : folders) ASSERT_TRUE(create_dirs(f));
    auto client_doc = [](const std::string& id) {
        return json{{"installed", {{"client_id", id}, {"client_secret", "s-" + id}}}}.dump();
    };
    // Downloads: a broken file and another client; OneDrive\Downloads: the built-in client.
    ASSERT_TRUE(write_file_atomic(path_join(folders[0], "client_secret_broken.json"), "{").ok());
    ASSERT_TRUE(write_file_atomic(path_join(folders[0], "client_secret_other.json"), client_doc("other")).ok());
    ASSERT_TRUE(write_file_atomic(path_join(folders[0], "notes.json"), client_doc("no")).ok());
    std::string ours = std::string("client_secret_") + kBuiltInClientId + ".json";
    ASSERT_TRUE(write_file_atomic(path_join(folders[3], ours), client_doc(kBuiltInClientId)).ok());

    auto found = find_client_files(folders);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(path_last_component(found[2]), ours);

    test_set_env("USERPROFILE", profile);
    auto client = import_client_file();
    ASSERT_TRUE(client);
    EXPECT_EQ(client->id, kBuiltInClientId) << "the built-in client is preferred over an earlier folder";
    auto stored = load_protected_json(kGoogleClientFile);
    ASSERT_TRUE(stored);
    EXPECT_EQ((*stored)["id"], kBuiltInClientId);
    auto loaded = load_client();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->secret, std::string("s-") + kBuiltInClientId);

    // A given path is the only candidate.
    auto other = import_client_file(path_join(folders[0], "client_secret_other.json"));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->id, "other");
    EXPECT_FALSE(import_client_file(path_join(folders[0], "client_secret_broken.json")));
    test_unset_env("USERPROFILE");
}

TEST(GoogleSignIn, RedirectQueryAndJudgement) {
    auto q = redirect_query("GET /?state=a%2Bb&code=4%2F0A+x&scope=e&code=second HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    EXPECT_EQ(q["state"], "a+b");
    EXPECT_EQ(q["code"], "4/0A x") << "the first pair of a name counts";
    EXPECT_TRUE(redirect_query("GET / HTTP/1.1\r\n\r\n").empty());
    EXPECT_TRUE(redirect_query("").empty());

    struct Case {
        std::string request;
        std::string title;
        bool goes_on;
    } cases[] = {
        {"GET /?code=c&state=S HTTP/1.1", "Vemo Ada Google'a bağlandı ✓", true},
        {"GET /?error=access_denied&state=S HTTP/1.1", "Bağlanmadı", false},
        {"GET /?code=c&error=x&state=S HTTP/1.1", "Bağlanmadı", false},
        {"GET /?code=c&state=T HTTP/1.1", "Geçersiz istek", false},
        {"GET /?code=c HTTP/1.1", "Geçersiz istek", false},  // a missing state is a mismatch
        {"GET /?code=c&state= HTTP/1.1", "Geçersiz istek", false},
        {"GET /?state=S HTTP/1.1", "Geçersiz istek", false},
        {"GET /favicon.ico HTTP/1.1", "Geçersiz istek", false},
    };
    for (auto& c : cases) {
        RedirectOutcome o = judge_redirect(redirect_query(c.request), "S");
        EXPECT_EQ(o.title, c.title) << c.request;
        EXPECT_EQ(o.code.has_value(), c.goes_on) << c.request;
        if (!c.goes_on) {
            EXPECT_FALSE(o.error.empty());
        }
    }
    EXPECT_EQ(judge_redirect(redirect_query("GET /?error=access_denied"), "S").body,
              "İzin verilmedi, bu sekmeyi kapatabilirsin.");
    EXPECT_EQ(judge_redirect(redirect_query("GET /?code=c"), "S").body, "Vemo Ada içinden tekrar dene.");
    EXPECT_EQ(judge_redirect(redirect_query("GET /?code=c&state=S"), "S").body, "Bu sekmeyi kapatabilirsin.");
}

TEST(GoogleSignIn, LoopbackAnswer) {
    std::string page = loopback_page("Başlık", "Gövde");
    EXPECT_EQ(page.find('\n'), std::string::npos) << "one line";
    EXPECT_NE(page.find("<meta charset=utf-8>"), std::string::npos);
    EXPECT_NE(page.find("<title>Vemo Ada</title>"), std::string::npos);
    EXPECT_NE(page.find("<h2>Başlık</h2>"), std::string::npos);
    EXPECT_NE(page.find(">Gövde</p>"), std::string::npos);
    EXPECT_NE(page.find("box-shadow:0 0 60px #5e5ce6"), std::string::npos);
    EXPECT_NE(page.find("width:220px;height:62px;border-radius:31px;background:#111"), std::string::npos);

    std::string answer = loopback_response("Başlık", "Gövde");
    std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                       std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n";
    EXPECT_EQ(answer, head + page);
}

}  // namespace
