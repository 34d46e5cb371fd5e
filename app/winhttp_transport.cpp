#include "winhttp_transport.h"

#include <memory>

#include "wide.h"

namespace {

// Each step of a request may take this long, and a whole answer this much,
// so a server that sends a byte now and then cannot hold a sync for ever.
constexpr int kStepTimeoutMs = 20000;
DWORD gAnswerDeadlineMs = 120000;
constexpr int kMostRedirects = 3;

struct HandleCloser {
  void operator()(void* handle) const { WinHttpCloseHandle(handle); }
};
using OwnedRequest = std::unique_ptr<void, HandleCloser>;

NetError ErrorOf(DWORD code) {
  switch (code) {
    case ERROR_WINHTTP_TIMEOUT:
      return NetError::Timeout;
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
    case ERROR_WINHTTP_CONNECTION_ERROR:
    // Wine passes on the socket's own errors: the server gone, or never there.
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAECONNREFUSED:
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
      return NetError::Unreachable;
    case WSAETIMEDOUT:
      return NetError::Timeout;
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
    // Wine ends a handshake with a certificate it cannot verify so.
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
      return NetError::Certificate;
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      return NetError::Cut;
    default:
      return NetError::Other;
  }
}

std::string Header(HINTERNET request, const wchar_t* name) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_CUSTOM, name, WINHTTP_NO_OUTPUT_BUFFER, &size,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0 || size > 65536) return {};
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CUSTOM, name, &value[0], &size,
                           WINHTTP_NO_HEADER_INDEX))
    return {};
  value.resize(size / sizeof(wchar_t));
  return Narrow(value);
}

}  // namespace

void SetHttpAnswerDeadline(DWORD ms) { gAnswerDeadlineMs = ms; }

WinHttpTransport::WinHttpTransport(const CalendarAddress& address, const std::string& user,
                                   const std::string& password)
    : address_(address), authorization_(BasicAuthorization(user, password)) {
  // A server on this computer is reached directly, whatever proxy the system names.
  session_ = WinHttpOpen(L"tarvina",
                         IsLoopbackHost(address.host) ? WINHTTP_ACCESS_TYPE_NO_PROXY
                                                      : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                         WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  if (!session_) return;
  WinHttpSetTimeouts(session_, kStepTimeoutMs, kStepTimeoutMs, kStepTimeoutMs, kStepTimeoutMs);
  std::string host = address.host;
  if (host.size() > 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  connection_ = WinHttpConnect(session_, Widen(host).c_str(), INTERNET_PORT(address.port), 0);
}

WinHttpTransport::~WinHttpTransport() {
  if (connection_) WinHttpCloseHandle(connection_);
  if (session_) WinHttpCloseHandle(session_);
}

HttpResponse WinHttpTransport::Send(const HttpRequest& request) {
  HttpRequest sent = request;
  for (int hop = 0;; ++hop) {
    std::string location;
    HttpResponse response = SendOnce(sent, location);
    if (response.error != NetError::None || response.status < 300 || response.status > 399 ||
        response.status == 304)
      return response;
    // Only to another path of the same server, and not for ever.
    CalendarAddress to;
    if (location.rfind("/", 0) == 0) {
      to = address_;
      to.path = location;
    } else if (!ParseCalendarAddress(location, to) || to.host != address_.host ||
               to.port != address_.port || to.https != address_.https) {
      response.error = NetError::Redirected;
      return response;
    }
    if (hop == kMostRedirects) {
      response.error = NetError::Redirected;
      return response;
    }
    sent.path = location.rfind("/", 0) == 0 ? location : NormalizeHref(location);
  }
}

HttpResponse WinHttpTransport::SendOnce(const HttpRequest& request, std::string& location) {
  HttpResponse response;
  if (!connection_) {
    response.error = session_ ? NetError::Unreachable : NetError::Other;
    return response;
  }
  OwnedRequest handle(WinHttpOpenRequest(
      connection_, Widen(request.method).c_str(), Widen(request.path).c_str(), nullptr,
      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, address_.https ? WINHTTP_FLAG_SECURE : 0));
  if (!handle) {
    response.error = ErrorOf(GetLastError());
    return response;
  }
  HINTERNET h = handle.get();
  // Redirects are looked at here, not followed by WinHTTP (which would go anywhere).
  DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  WinHttpSetOption(h, WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never);
  DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
  WinHttpSetOption(h, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof noRedirects);

  std::wstring headers = L"Authorization: " + Widen(authorization_) + L"\r\n";
  for (const auto& [name, value] : request.headers)
    headers += Widen(name) + L": " + Widen(value) + L"\r\n";
  const DWORD start = GetTickCount();
  if (!WinHttpSendRequest(
          h, headers.c_str(), DWORD(-1),
          request.body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(request.body.data()),
          DWORD(request.body.size()), DWORD(request.body.size()), 0) ||
      !WinHttpReceiveResponse(h, nullptr)) {
    response.error = ErrorOf(GetLastError());
    return response;
  }
  DWORD status = 0, size = sizeof status;
  if (!WinHttpQueryHeaders(h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
    response.error = NetError::Other;
    return response;
  }
  response.status = int(status);
  response.etag = Header(h, L"ETag");
  location = Header(h, L"Location");

  DWORD length = 0;
  size = sizeof length;
  const bool hasLength =
      WinHttpQueryHeaders(h, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                          WINHTTP_HEADER_NAME_BY_INDEX, &length, &size, WINHTTP_NO_HEADER_INDEX);
  if (hasLength && length > kMaxAnswerBytes) {
    response.error = NetError::TooLarge;
    return response;
  }
  std::string& body = response.body;
  for (;;) {
    if (GetTickCount() - start > gAnswerDeadlineMs) {
      response.error = NetError::Timeout;
      break;
    }
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(h, &available)) {
      const DWORD code = GetLastError();
      response.error = code == ERROR_WINHTTP_TIMEOUT ? NetError::Timeout : NetError::Cut;
      break;
    }
    if (available == 0) break;
    if (body.size() + available > kMaxAnswerBytes) {
      response.error = NetError::TooLarge;
      break;
    }
    const size_t at = body.size();
    body.resize(at + available);
    DWORD got = 0;
    if (!WinHttpReadData(h, &body[at], available, &got)) {
      const DWORD code = GetLastError();
      response.error = code == ERROR_WINHTTP_TIMEOUT ? NetError::Timeout : NetError::Cut;
      body.resize(at);
      break;
    }
    body.resize(at + got);
    if (got == 0) break;
  }
  if (response.error == NetError::None && hasLength && body.size() < length)
    response.error = NetError::Cut;
  if (response.error != NetError::None) body.clear();
  return response;
}
