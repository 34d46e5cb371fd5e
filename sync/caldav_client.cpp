#include "caldav_client.h"

#include <expat.h>

#include <cctype>
#include <cstdint>
#include <cstring>

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(uint8_t(c)));
  return text;
}

// What one PROPFIND answer is read into, element by element.
struct ListingReader {
  XML_Parser parser = nullptr;
  std::vector<std::string> stack;  // "namespace local" names
  std::string text;                // character data of the innermost element
  bool broken = false;
  // The response being read.
  std::string href, etag, status;
  std::string responseStatus;  // a status of the response itself, not of a propstat
  bool collection = false;
  bool okEtag = false;
  DavListing* listing = nullptr;
  std::string collectionPath;
  int responses = 0;
  bool multistatus = false;  // the answer's root is DAV:multistatus
};

constexpr char kDav[] = "DAV:";

bool Is(const char* name, const char* local) {
  const size_t n = strlen(kDav);
  return strncmp(name, kDav, n) == 0 && name[n] == ' ' && strcmp(name + n + 1, local) == 0;
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char**) {
  auto* r = static_cast<ListingReader*>(data);
  if (r->stack.empty()) r->multistatus = Is(name, "multistatus");
  r->stack.push_back(name);
  r->text.clear();
  if (Is(name, "response")) {
    r->href.clear();
    r->etag.clear();
    r->responseStatus.clear();
    r->collection = false;
    r->okEtag = false;
  } else if (Is(name, "propstat")) {
    r->status.clear();
  } else if (Is(name, "collection") && r->stack.size() >= 2 &&
             Is(r->stack[r->stack.size() - 2].c_str(), "resourcetype")) {
    r->collection = true;
  }
  if (r->stack.size() > 64) {  // no answer of ours nests this deep
    r->broken = true;
    XML_StopParser(r->parser, XML_FALSE);
  }
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
  auto* r = static_cast<ListingReader*>(data);
  if (Is(name, "href") && r->stack.size() >= 2 &&
      Is(r->stack[r->stack.size() - 2].c_str(), "response")) {
    r->href = r->text;
  } else if (Is(name, "getetag")) {
    r->etag = r->text;
  } else if (Is(name, "status")) {
    if (r->stack.size() >= 2 && Is(r->stack[r->stack.size() - 2].c_str(), "response"))
      r->responseStatus = r->text;
    else
      r->status = r->text;
  } else if (Is(name, "sync-token")) {
    // The report's new token (under multistatus), or the collection's property.
    std::string& token = r->listing->syncToken;
    token = r->text;
    while (!token.empty() && std::isspace(uint8_t(token.back()))) token.pop_back();
    size_t lead = 0;
    while (lead < token.size() && std::isspace(uint8_t(token[lead]))) ++lead;
    token.erase(0, lead);
  } else if (Is(name, "propstat")) {
    // The ETag counts only from a propstat that says 200.
    if (r->status.find(" 200") != std::string::npos && !r->etag.empty()) r->okEtag = true;
    if (!r->okEtag) r->etag.clear();
  } else if (Is(name, "response")) {
    ++r->responses;
    std::string href = NormalizeHref(r->href);
    auto trim = [](std::string& s) {
      while (!s.empty() && std::isspace(uint8_t(s.back()))) s.pop_back();
      size_t lead = 0;
      while (lead < s.size() && std::isspace(uint8_t(s[lead]))) ++lead;
      s.erase(0, lead);
    };
    trim(href);
    trim(r->etag);
    const bool self = href == NormalizeHref(r->collectionPath);
    if (self && r->responseStatus.find(" 507") != std::string::npos)
      r->listing->truncated = true;  // the server gave only some of the changes
    else if (!self && !href.empty() && r->responseStatus.find(" 404") != std::string::npos)
      r->listing->removed.push_back(href);
    else if (!r->collection && !href.empty() && !self && r->okEtag)
      r->listing->events.push_back({href, r->etag});
  }
  if (!r->stack.empty()) r->stack.pop_back();
  r->text.clear();
}

void XMLCALL OnText(void* data, const XML_Char* s, int len) {
  auto* r = static_cast<ListingReader*>(data);
  if (r->text.size() + size_t(len) > 64 * 1024) {  // no href or ETag is this long
    r->broken = true;
    XML_StopParser(r->parser, XML_FALSE);
    return;
  }
  r->text.append(s, size_t(len));
}

void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  auto* r = static_cast<ListingReader*>(data);
  r->broken = true;
  XML_StopParser(r->parser, XML_FALSE);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

DavResult ResultOf(const HttpResponse& r) { return {r.error, r.status}; }

}  // namespace

bool ParseCalendarAddress(const std::string& address, CalendarAddress& out) {
  out = CalendarAddress();
  std::string rest;
  const std::string lower = Lower(address);
  if (lower.rfind("https://", 0) == 0) {
    out.https = true;
    rest = address.substr(8);
  } else if (lower.rfind("http://", 0) == 0) {
    rest = address.substr(7);
  } else {
    return false;
  }
  size_t slash = rest.find('/');
  std::string hostPort = rest.substr(0, slash);
  out.path = slash == std::string::npos ? "/" : rest.substr(slash);
  if (out.path.find_first_of("?#") != std::string::npos) return false;
  if (out.path.back() != '/') out.path += '/';
  if (hostPort.find('@') != std::string::npos) return false;  // the user goes in its own box
  out.port = out.https ? 443 : 80;
  size_t colon = hostPort.rfind(':');
  if (colon != std::string::npos && hostPort.find(']', colon) == std::string::npos) {
    const std::string port = hostPort.substr(colon + 1);
    if (port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos)
      return false;
    out.port = std::stoi(port);
    if (out.port < 1 || out.port > 65535) return false;
    hostPort.resize(colon);
  }
  out.host = Lower(hostPort);
  return !out.host.empty() && out.host.find_first_of(" \t\r\n/\\") == std::string::npos;
}

std::string BasicAuthorization(const std::string& user, const std::string& password) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const std::string in = user + ":" + password;
  std::string out = "Basic ";
  for (size_t i = 0; i < in.size(); i += 3) {
    uint32_t v = uint32_t(uint8_t(in[i])) << 16;
    if (i + 1 < in.size()) v |= uint32_t(uint8_t(in[i + 1])) << 8;
    if (i + 2 < in.size()) v |= uint32_t(uint8_t(in[i + 2]));
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += i + 1 < in.size() ? kDigits[(v >> 6) & 63] : '=';
    out += i + 2 < in.size() ? kDigits[v & 63] : '=';
  }
  return out;
}

bool IsLoopbackHost(const std::string& host) {
  return host == "localhost" || host == "[::1]" || host.rfind("127.", 0) == 0;
}

std::string NormalizeHref(const std::string& href) {
  std::string path = href;
  // A full address names its path; the host is the collection's (checked by the transport).
  const std::string lower = Lower(path);
  for (const char* scheme : {"http://", "https://"}) {
    if (lower.rfind(scheme, 0) == 0) {
      size_t slash = path.find('/', strlen(scheme));
      path = slash == std::string::npos ? "/" : path.substr(slash);
      break;
    }
  }
  std::string out;
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '%' && i + 2 < path.size() && HexValue(path[i + 1]) >= 0 &&
        HexValue(path[i + 2]) >= 0) {
      const char c = char(HexValue(path[i + 1]) * 16 + HexValue(path[i + 2]));
      if (std::isalnum(uint8_t(c)) || strchr("-._~@", c)) {
        out += c;
        i += 2;
        continue;
      }
      out += '%';
      out += char(std::toupper(uint8_t(path[i + 1])));
      out += char(std::toupper(uint8_t(path[i + 2])));
      i += 2;
      continue;
    }
    out += path[i];
  }
  return out;
}

bool ParseDavListing(const std::string& xml, const std::string& collectionPath,
                     DavListing& listing) {
  listing = DavListing();
  ListingReader reader;
  reader.listing = &listing;
  reader.collectionPath = collectionPath;
  XML_Parser parser = XML_ParserCreateNS(nullptr, ' ');
  if (!parser) return false;
  reader.parser = parser;
  XML_SetUserData(parser, &reader);
  XML_SetElementHandler(parser, OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser, OnText);
  XML_SetStartDoctypeDeclHandler(parser, OnDoctype);
  const bool parsed = XML_Parse(parser, xml.data(), int(xml.size()), XML_TRUE) == XML_STATUS_OK &&
                      !reader.broken && reader.multistatus;
  XML_ParserFree(parser);
  if (!parsed) listing = DavListing();
  return parsed;
}

bool ParseEtagListing(const std::string& xml, const std::string& collectionPath,
                      std::vector<RemoteEvent>& events) {
  DavListing listing;
  const bool parsed = ParseDavListing(xml, collectionPath, listing);
  events = std::move(listing.events);
  return parsed;
}

namespace {

std::string XmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
  return out;
}

// A WebDAV request with an XML body to the collection at `path`.
HttpRequest XmlRequest(const char* method, const std::string& path, const char* depth,
                       std::string body) {
  HttpRequest request;
  request.method = method;
  request.path = path;
  request.headers = {{"Depth", depth}, {"Content-Type", "application/xml; charset=utf-8"}};
  request.body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + body;
  return request;
}

}  // namespace

DavResult CalDavClient::SyncToken(std::string& token) {
  token.clear();
  const HttpResponse response = transport_.Send(
      XmlRequest("PROPFIND", collection_, "0",
                 "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:sync-token/></d:prop></d:propfind>\n"));
  DavListing listing;
  if (response.error == NetError::None && response.status == 207 &&
      ParseDavListing(response.body, collection_, listing))
    token = listing.syncToken;
  return ResultOf(response);
}

DavResult CalDavClient::Changes(const std::string& token, std::vector<RemoteEvent>& changed,
                                std::vector<std::string>& removed, std::string& newToken) {
  changed.clear();
  removed.clear();
  newToken.clear();
  const HttpRequest request =
      XmlRequest("REPORT", collection_, "0",
                 "<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>" + XmlEscaped(token) +
                     "</d:sync-token><d:sync-level>1</d:sync-level>"
                     "<d:prop><d:getetag/><d:resourcetype/></d:prop></d:sync-collection>\n");
  const HttpResponse response = transport_.Send(request);
  DavResult result = ResultOf(response);
  if (result.error != NetError::None) return result;
  if (response.status != 207) {
    if (result.ok()) result.status = 0;
    return result;
  }
  DavListing listing;
  // An answer without a new token, or with only part of the changes, is no use.
  if (!ParseDavListing(response.body, collection_, listing) || listing.syncToken.empty() ||
      listing.truncated) {
    result.status = 0;
    return result;
  }
  changed = std::move(listing.events);
  removed = std::move(listing.removed);
  newToken = std::move(listing.syncToken);
  return result;
}

DavResult CalDavClient::List(std::vector<RemoteEvent>& events) {
  events.clear();
  const HttpResponse response = transport_.Send(
      XmlRequest("PROPFIND", collection_, "1",
                 "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:getetag/><d:resourcetype/></d:prop>"
                 "</d:propfind>\n"));
  DavResult result = ResultOf(response);
  if (result.error != NetError::None) return result;
  if (response.status != 207) {
    if (result.ok()) result.status = 0;  // 2xx but no multistatus: not a calendar server
    return result;
  }
  if (!ParseEtagListing(response.body, collection_, events)) {
    result.error = NetError::Other;
    result.status = 0;
  }
  return result;
}

DavResult CalDavClient::Get(const std::string& href, std::string& body, std::string& etag) {
  HttpRequest request;
  request.method = "GET";
  request.path = href;
  HttpResponse response = transport_.Send(request);
  body = std::move(response.body);
  etag = response.etag;
  return ResultOf(response);
}

DavResult CalDavClient::Put(const std::string& href, const std::string& body,
                            const std::string& etag, std::string& newEtag) {
  HttpRequest request;
  request.method = "PUT";
  request.path = href;
  request.headers = {{"Content-Type", "text/calendar; charset=utf-8"}};
  if (etag.empty())
    request.headers.push_back({"If-None-Match", "*"});
  else
    request.headers.push_back({"If-Match", etag});
  request.body = body;
  const HttpResponse response = transport_.Send(request);
  newEtag = response.etag;
  return ResultOf(response);
}

DavResult CalDavClient::Delete(const std::string& href, const std::string& etag) {
  HttpRequest request;
  request.method = "DELETE";
  request.path = href;
  if (!etag.empty()) request.headers.push_back({"If-Match", etag});
  return ResultOf(transport_.Send(request));
}
