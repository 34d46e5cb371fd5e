// An in-memory CalDAV calendar behind the HttpTransport seam: PROPFIND with
// ETags and the collection's sync-token, the sync-collection REPORT, GET,
// PUT and DELETE with their preconditions, as a real server answers them; a test can change it as
// another client would, make any request fail, and see what was asked.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sync/caldav_client.h"

class FakeCalDav : public HttpTransport {
 public:
  static constexpr const char* kPath = "/ana/casa/";

  struct Event {
    std::string body;
    std::string etag;
  };
  std::map<std::string, Event> events;  // by href
  int requests = 0;
  std::map<std::string, int> byMethod;
  // Called before each request (its number from 1) with it; a response it
  // fills (error or status set) is the answer and nothing else happens.
  std::function<void(int, const HttpRequest&, HttpResponse&)> before;
  // A PUT whose body this finds is refused with 400.
  std::function<bool(const std::string& body)> refuses;
  // Whether it has sync-tokens; forgetting them refuses every token given so far.
  bool offersSync = true;
  void ForgetTokens() { forgotten_ = seen_.size(); }

  // As another client would.
  void Put(const std::string& name, const std::string& body) {
    events[kPath + name] = {body, NewEtag()};
  }

  HttpResponse Send(const HttpRequest& request) override {
    HttpResponse response;
    ++requests;
    ++byMethod[request.method];
    if (before) before(requests, request, response);
    if (response.error != NetError::None || response.status != 0) return response;
    const std::string ifMatch = Header(request, "If-Match");
    const std::string ifNoneMatch = Header(request, "If-None-Match");
    auto it = events.find(request.path);
    if (request.method == "PROPFIND") {
      if (request.path != kPath) return Status(response, 404);
      const std::string token =
          offersSync ? "<sync-token>" + Token() + "</sync-token>" : std::string();
      response.body = "<?xml version=\"1.0\"?><multistatus xmlns=\"DAV:\"><response><href>" +
                      std::string(kPath) +
                      "</href><propstat><prop><resourcetype><collection/></resourcetype>" + token +
                      "</prop><status>HTTP/1.1 200 OK</status></propstat></response>";
      if (Header(request, "Depth") != "0")
        for (const auto& [href, event] : events) response.body += Member(href, event.etag);
      response.body += "</multistatus>";
      return Status(response, 207);
    }
    if (request.method == "REPORT") {
      if (request.path != kPath) return Status(response, 404);
      if (!offersSync) return Status(response, 501);
      // The changes between the state a token stood for and now.
      const size_t from = request.body.find("<d:sync-token>") + 14;
      const std::string asked =
          request.body.substr(from, request.body.find("</d:sync-token>") - from);
      size_t was = forgotten_;
      while (was < seen_.size() && Name(was) != asked) ++was;
      if (was == seen_.size()) {
        response.body = "<?xml version=\"1.0\"?><error xmlns=\"DAV:\"><valid-sync-token/></error>";
        return Status(response, 403);
      }
      const std::map<std::string, std::string> then = seen_[was];
      response.body = "<?xml version=\"1.0\"?><multistatus xmlns=\"DAV:\">";
      for (const auto& [href, event] : events) {
        auto old = then.find(href);
        if (old == then.end() || old->second != event.etag)
          response.body += Member(href, event.etag);
      }
      for (const auto& [href, etag] : then)
        if (!events.count(href))
          response.body += "<response><href>" + href +
                           "</href><status>HTTP/1.1 404 Not Found</status></response>";
      response.body += "<sync-token>" + Token() + "</sync-token></multistatus>";
      return Status(response, 207);
    }
    if (request.method == "GET") {
      if (it == events.end()) return Status(response, 404);
      response.body = it->second.body;
      response.etag = it->second.etag;
      return Status(response, 200);
    }
    if (request.method == "PUT") {
      if (!ifNoneMatch.empty() && it != events.end()) return Status(response, 412);
      if (!ifMatch.empty() && (it == events.end() || it->second.etag != ifMatch))
        return Status(response, 412);
      if (refuses && refuses(request.body)) return Status(response, 400);
      Event& event = events[request.path];
      event.body = request.body;
      event.etag = NewEtag();
      response.etag = event.etag;
      return Status(response, it == events.end() ? 201 : 204);
    }
    if (request.method == "DELETE") {
      if (it == events.end()) return Status(response, 404);
      if (!ifMatch.empty() && it->second.etag != ifMatch) return Status(response, 412);
      events.erase(it);
      return Status(response, 204);
    }
    return Status(response, 405);
  }

 private:
  int next_ = 0;
  std::string NewEtag() { return "\"" + std::to_string(++next_) + "\""; }
  // The ETags each token given out stood for.
  std::vector<std::map<std::string, std::string>> seen_;
  size_t forgotten_ = 0;
  std::string Name(size_t k) const { return "http://fake/sync/" + std::to_string(k); }
  std::string Token() {
    std::map<std::string, std::string> now;
    for (const auto& [href, event] : events) now[href] = event.etag;
    if (seen_.size() == forgotten_ || seen_.back() != now) seen_.push_back(now);
    return Name(seen_.size() - 1);
  }
  static std::string Member(const std::string& href, const std::string& etag) {
    return "<response><href>" + href + "</href><propstat><prop><getetag>" + etag +
           "</getetag><resourcetype/></prop><status>HTTP/1.1 200 OK</status></propstat>"
           "</response>";
  }
  static HttpResponse& Status(HttpResponse& r, int status) {
    r.status = status;
    return r;
  }
  static std::string Header(const HttpRequest& request, const std::string& name) {
    for (const auto& [key, value] : request.headers)
      if (key == name) return value;
    return {};
  }
};
