// A scripted transport for the Google calls: answers by method and URL
// (the query is part of the key unless the route is registered without one)
// and records every request in order.
#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "google_api.h"

struct FakeGoogleNet {
    struct Route {
        uint32_t status = 200;
        std::string body;
    };
    std::map<std::string, std::vector<Route>> routes;  // "GET url" -> answers, the last one repeats
    std::map<std::string, size_t> served;
    std::vector<HttpRequest> requests;
    std::mutex m;
    double now = 1000;  // the monotonic clock the session expiry uses

    void on(const std::string& method, const std::string& url, uint32_t status, const nlohmann::json& body) {
        routes[method + " " + url].push_back(Route{status, body.dump()});
    }
    void on_text(const std::string& method, const std::string& url, uint32_t status, const std::string& body) {
        routes[method + " " + url].push_back(Route{status, body});
    }
    void clear(const std::string& method, const std::string& url) {
        routes.erase(method + " " + url);
        served.erase(method + " " + url);
    }

    Result<HttpResponse> answer(const HttpRequest& req) {
        std::lock_guard<std::mutex> lk(m);
        requests.push_back(req);
        std::string key = req.method + " " + req.url;
        auto it = routes.find(key);
        if (it == routes.end()) it = routes.find(req.method + " " + req.url.substr(0, req.url.find('?')));
        if (it == routes.end()) return HttpResponse{"", std::nullopt, 404};
        size_t& n = served[it->first];
        const Route& r = it->second[std::min(n, it->second.size() - 1)];
        ++n;
        return HttpResponse{r.body, std::nullopt, r.status};
    }

    // Requests whose URL (without the query) is exactly `url`.
    size_t count(const std::string& method, const std::string& url) {
        std::lock_guard<std::mutex> lk(m);
        size_t n = 0;
        for (auto& r : requests)
            if (r.method == method && r.url.substr(0, r.url.find('?')) == url.substr(0, url.find('?'))) ++n;
        return n;
    }

    GoogleNet net(const GoogleEndpoints& urls) {
        GoogleNet n;
        n.urls = urls;
        n.http = [this](const HttpRequest& r) { return answer(r); };
        n.clock = [this] { return now; };
        return n;
    }
};
