// HTTP for the sync, through WinHTTP: the server of one calendar address,
// the user's credentials sent as Basic, no proxy for this computer's own
// addresses, the system's certificates for HTTPS, answers bounded in size
// and time, and no redirect to another server followed.
#pragma once
#include <windows.h>
#include <winhttp.h>

#include <string>

#include "../sync/caldav_client.h"

class WinHttpTransport : public HttpTransport {
 public:
  WinHttpTransport(const CalendarAddress& address, const std::string& user,
                   const std::string& password);
  ~WinHttpTransport() override;
  WinHttpTransport(const WinHttpTransport&) = delete;
  WinHttpTransport& operator=(const WinHttpTransport&) = delete;

  HttpResponse Send(const HttpRequest& request) override;

 private:
  HttpResponse SendOnce(const HttpRequest& request, std::string& location);
  CalendarAddress address_;
  std::string authorization_;
  HINTERNET session_ = nullptr;
  HINTERNET connection_ = nullptr;
};

// Tests shorten how long an answer may take as a whole (normally two minutes).
void SetHttpAnswerDeadline(DWORD ms);
