// The few CalDAV (RFC 4791) requests a sync needs, over any HTTP transport:
// the ETags of a calendar collection (PROPFIND), or what changed in it since
// a sync-token (the sync-collection REPORT), an event's body (GET), and
// PUT and DELETE with their preconditions. Portable: the program's transport
// is WinHTTP (app/winhttp_transport.h), the tests' an in-memory server.
#pragma once
#include <string>
#include <utility>
#include <vector>

// Why a request got no answer from the server.
enum class NetError {
  None,
  Unreachable,  // no connection (no such host, nothing listening, offline)
  Timeout,
  TooLarge,     // the answer went past kMaxAnswerBytes
  Cut,          // the connection ended before the whole answer came
  Redirected,   // sent to another server
  Certificate,  // HTTPS whose certificate does not verify
  BadAddress,   // not an http:// or https:// address
  Other,
};

// Answers larger than this are refused: 2,000 events' ETags take 300 KB.
constexpr size_t kMaxAnswerBytes = 32u << 20;

struct HttpRequest {
  std::string method;
  std::string path;  // absolute path on the collection's server, e.g. /ana/casa/x.ics
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
};

struct HttpResponse {
  NetError error = NetError::None;
  int status = 0;
  std::string etag;  // the ETag header, as sent (quotes included)
  std::string body;
};

class HttpTransport {
 public:
  virtual ~HttpTransport() = default;
  // Sends one request with the user's credentials; never throws.
  virtual HttpResponse Send(const HttpRequest& request) = 0;
};

// An address split as far as a sync needs it.
struct CalendarAddress {
  bool https = false;
  std::string host;  // lower case
  int port = 0;
  std::string path;  // the collection, ending with '/'
};
// False for anything but an http:// or https:// address with a host.
bool ParseCalendarAddress(const std::string& address, CalendarAddress& out);
// Whether `host` is this computer (no proxy is asked for it).
bool IsLoopbackHost(const std::string& host);

// The Authorization header's value for HTTP Basic: "Basic " and the
// base64 of user:password (UTF-8).
std::string BasicAuthorization(const std::string& user, const std::string& password);

struct RemoteEvent {
  std::string href;  // as a path, percent-escapes of plain characters undone
  std::string etag;
};

struct DavResult {
  NetError error = NetError::None;
  int status = 0;  // the HTTP status when the server answered
  bool ok() const { return error == NetError::None && status >= 200 && status < 300; }
};

// Reads a PROPFIND multistatus answer: the members of the collection that
// are not collections, each with its ETag. False when the XML is broken or
// declares a DTD (no entity tricks).
bool ParseEtagListing(const std::string& xml, const std::string& collectionPath,
                      std::vector<RemoteEvent>& events);

// A multistatus answer read whole: the members with their ETags, those a
// sync-collection report says are gone (404), and the sync-token it carries
// (the report's new one, or the collection's property).
struct DavListing {
  std::vector<RemoteEvent> events;
  std::vector<std::string> removed;
  std::string syncToken;
  bool truncated = false;  // the server said it left changes out (507)
};
bool ParseDavListing(const std::string& xml, const std::string& collectionPath,
                     DavListing& listing);

// Canonical form of a path from the server, to compare addresses.
std::string NormalizeHref(const std::string& href);

class CalDavClient {
 public:
  CalDavClient(HttpTransport& transport, std::string collectionPath)
      : transport_(transport), collection_(std::move(collectionPath)) {}

  const std::string& collection() const { return collection_; }
  // The events of the collection with their ETags. A listing that is no
  // multistatus, or broken XML, is an error (status 0, error Other).
  DavResult List(std::vector<RemoteEvent>& events);
  // The collection's DAV:sync-token; empty when the server offers none
  // (the result is then still that of the request).
  DavResult SyncToken(std::string& token);
  // The members changed and removed since `token` (RFC 6578 sync-collection),
  // and the token for next time. A refused token is an HTTP error; an answer
  // that is no whole report (no new token, truncated, broken) has status 0.
  DavResult Changes(const std::string& token, std::vector<RemoteEvent>& changed,
                    std::vector<std::string>& removed, std::string& newToken);
  // The body of one event; 404 when it has gone.
  DavResult Get(const std::string& href, std::string& body, std::string& etag);
  // `etag` empty: create (If-None-Match: *); otherwise replace that version
  // (If-Match). `newEtag` gets the server's ETag when it tells it.
  DavResult Put(const std::string& href, const std::string& body, const std::string& etag,
                std::string& newEtag);
  DavResult Delete(const std::string& href, const std::string& etag);

 private:
  HttpTransport& transport_;
  std::string collection_;
};
