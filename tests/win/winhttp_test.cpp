// The WinHTTP client against answers no calendar server should give
// (tests/win/hostile_server.py starts the server and runs these): each is
// refused with its reason, within bounded time and memory, and the
// credentials go with every request.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/winhttp_transport.h"

namespace {

CalendarAddress At(const char* variable, bool https, const std::string& path) {
  const char* hostPort = std::getenv(variable);
  CalendarAddress address;
  EXPECT_TRUE(
      hostPort &&
      ParseCalendarAddress(std::string(https ? "https://" : "http://") + hostPort + path, address))
      << "run through tests/win/hostile_server.py";
  return address;
}

TEST(WinHttpTransport, RefusesWhatNoCalendarServerShouldAnswer) {
  struct Case {
    const char* path;
    const char* password;
    NetError error;
    int status;
    size_t events;
  } cases[] = {
      {"/ok/", "secreto", NetError::None, 207, 1},
      {"/ok/", "otra", NetError::None, 401, 0},  // the password is what the server checks
      {"/same/", "secreto", NetError::None, 207, 1},
      {"/elsewhere/", "secreto", NetError::Redirected, 302, 0},
      {"/huge/", "secreto", NetError::TooLarge, 207, 0},
      {"/endless/", "secreto", NetError::TooLarge, 207, 0},
      {"/cut/", "secreto", NetError::Cut, 207, 0},
      {"/slow/", "secreto", NetError::Timeout, 207, 0},
  };
  SetHttpAnswerDeadline(3000);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " " + c.password);
    const CalendarAddress address = At("TARVINA_HOSTILE", false, c.path);
    WinHttpTransport transport(address, "ana", c.password);
    CalDavClient client(transport, address.path);
    std::vector<RemoteEvent> events;
    const DWORD start = GetTickCount();
    const DavResult result = client.List(events);
    EXPECT_EQ(int(result.error), int(c.error));
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(events.size(), c.events);
    EXPECT_LT(GetTickCount() - start, 15000u);
  }
  SetHttpAnswerDeadline(120000);
}

TEST(WinHttpTransport, RefusesACertificateThatDoesNotVerify) {
  const CalendarAddress address = At("TARVINA_HOSTILE_TLS", true, "/ok/");
  WinHttpTransport transport(address, "ana", "secreto");
  CalDavClient client(transport, address.path);
  std::vector<RemoteEvent> events;
  const DavResult result = client.List(events);
  EXPECT_EQ(int(result.error), int(NetError::Certificate));
  EXPECT_TRUE(events.empty());
}

}  // namespace
