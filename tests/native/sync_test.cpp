// Syncing an almanac with a calendar server (an in-memory one): both ways,
// conflicts, refused events, and every request failing or the disk dying at
// every step, after which the next sync must end with every label once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>

#include "share/ics_import.h"
#include "sync/sync_engine.h"
#include "tests/common/fake_caldav.h"
#include "tests/common/label_records.h"

namespace {

WallTime SameClock(const WallTime& t) { return t; }

// A label as the tests compare them: "5/3 #6666ff Line one/Line two".
std::string Text(const SyncLabel& l) {
  std::string s =
      std::to_string(l.day) + "/" + std::to_string(l.month) + " " + std::to_string(l.color);
  for (size_t k = 0; k < l.lines.size(); ++k) s += (k ? "/" : " ") + l.lines[k];
  return s;
}

std::vector<std::string> TextsOf(const std::vector<LabelRecord>& records) {
  std::vector<std::string> out;
  for (const LabelRun& run : GroupLabels(records)) {
    SyncLabel l;
    l.day = records[run.first].day;
    l.month = records[run.first].month;
    l.color = records[run.first].color & 0xFFFFFF;
    for (size_t k = 0; k < run.count; ++k) l.lines.push_back(records[run.first + k].text);
    out.push_back(Text(l));
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<LabelRecord> Label(std::vector<const char*> lines, int day, int month = 3) {
  std::vector<LabelRecord> records;
  for (size_t k = 0; k < lines.size(); ++k)
    records.push_back(TestLine(lines[k], k + 1 == lines.size(), day, month));
  return records;
}

// An event as a phone's calendar writes it.
std::string PhoneEvent(const std::string& uid, const std::string& date, const std::string& summary,
                       const std::string& extra = "") {
  return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\nBEGIN:VEVENT\r\nUID:" + uid +
         "\r\nDTSTAMP:20250101T000000Z\r\nDTSTART;VALUE=DATE:" + date + "\r\n" + extra +
         "SUMMARY:" + summary + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

class SyncTest : public ::testing::Test {
 protected:
  void SetUp() override { Fresh(); }
  void TearDown() override {
    ResetFileFaults();
    Clear();
  }
  void Clear() {
    if (folder_.empty()) return;
    std::string cmd = "rm -rf '" + folder_ + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  void Fresh() {
    ResetFileFaults();
    Clear();
    char pattern[] = "/tmp/tarvina-sync-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    path_ = folder_ + "/Casa.zanual";
    state_ = folder_ + "/Casa.sync";
    server_ = FakeCalDav();
    uids_ = 0;
    almanac_ = AlmanacState();
    almanac_.name = "Casa";
    almanac_.filePath = path_;
    almanac_.startDay = 1;
    almanac_.startMonth = 1;
    almanac_.startYear = 2025;
    almanac_.dayCount = 120;
  }
  std::vector<LabelRecord> Records() {
    if (!FileExists(path_)) return {};
    std::vector<LabelRecord> records;
    AlmanacState read;
    EXPECT_EQ(ReadLabelRecords(path_, records, read), FileError::None);
    return records;
  }
  std::string Bytes() {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Add(const std::vector<LabelRecord>& label) {
    ASSERT_EQ(AppendLabel(path_, label), FileError::None);
  }
  // A change made here as the program makes it.
  void Edit(const LabelFileEdit& edit) {
    ASSERT_EQ(RewriteLabelFile(path_, edit), FileError::None);
  }
  // `arm` runs once the file has been read, as the program holds it.
  SyncReport Sync(const std::function<void()>& arm = nullptr) {
    SyncInput input;
    input.almanac = almanac_;
    input.records = Records();
    input.fileExists = FileExists(path_);
    if (arm) arm();
    input.statePath = state_;
    input.version = "1.0.0";
    input.stampUtc = {2025, 1, 2, 3, 4, 5};
    input.localFromUtc = SameClock;
    input.makeUid = [this] { return "uid-" + copy_ + std::to_string(++uids_); };
    CalDavClient client(server_, FakeCalDav::kPath);
    return RunSync(client, input, [path = path_](const LabelFileEdit& edit) {
      return RewriteLabelFile(path, edit);
    });
  }
  // Another copy of tarvina, with a folder of its own, linked to the same calendar.
  void UseCopy(const std::string& copy) {
    copy_ = copy;
    const std::string folder = folder_ + "/" + copy;
    MakeFolders(folder);
    path_ = folder + "/Casa.zanual";
    state_ = folder + "/Casa.sync";
    almanac_.filePath = path_;
  }
  // The label whose first line is `text` corrected to `to` on `day` (kept
  // in its place on its day, at the end when moved), or removed (`to` null).
  void Change(const char* text, const char* to, int day = 0) {
    const std::vector<LabelRecord> records = Records();
    for (const LabelRun& run : GroupLabels(records)) {
      if (std::string(records[run.first].text) != text) continue;
      std::vector<LabelRecord> was(records.begin() + long(run.first),
                                   records.begin() + long(run.first + run.count));
      LabelFileEdit edit;
      const bool stays = to && (day == 0 || day == was[0].day);
      edit.splices.push_back(
          {run.first, was, stays ? RecordBytes(Label({to}, was[0].day)) : std::vector<uint8_t>{}});
      if (to && !stays) edit.splices.push_back({records.size(), {}, RecordBytes(Label({to}, day))});
      Edit(edit);
      return;
    }
    ADD_FAILURE() << "no label " << text;
  }
  std::vector<std::string> ServerTexts() {
    std::vector<std::string> out;
    for (const auto& [href, event] : server_.events) {
      IcsImport imported = ImportIcs(event.body, almanac_, SameClock);
      EXPECT_TRUE(imported.ok) << href;
      for (const std::string& t : TextsOf(imported.records)) out.push_back(t);
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  std::string HrefOf(const std::string& text) {
    for (const auto& [href, event] : server_.events) {
      auto texts = TextsOf(ImportIcs(event.body, almanac_, SameClock).records);
      if (texts.size() == 1 && texts[0] == text) return href;
    }
    return "";
  }

  std::string folder_, path_, state_;
  FakeCalDav server_;
  AlmanacState almanac_;
  int uids_ = 0;
  std::string copy_;
};

const int kColor = 0x6666FF;
std::string T(const char* label) { return label; }

TEST_F(SyncTest, FirstSyncSendsEveryLabelAndTheNextHasNothingToDo) {
  Add(Label({"Clase de piano", "aula 3"}, 5));
  Add(Label({"Dentista"}, 5));
  Add(Label({"Cumpleaños\\#09"}, 7));
  const std::string before = Bytes();
  SyncReport r = Sync();
  ASSERT_TRUE(r.ok) << r.failure;
  EXPECT_EQ(r.up, 3);
  EXPECT_TRUE(r.edit.splices.empty());
  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(ServerTexts(), TextsOf(Records()));
  EXPECT_EQ(server_.events.size(), 3u);

  server_.byMethod.clear();
  const int requests = server_.requests;
  r = Sync();
  ASSERT_TRUE(r.ok) << r.failure;
  EXPECT_EQ(server_.requests - requests, 1);  // only the report of what changed since the last
  EXPECT_EQ(server_.byMethod["REPORT"], 1);
  EXPECT_EQ(SyncReportText(r), "Sincronización hecha: no había nada que cambiar.");
}

TEST_F(SyncTest, AReportTheServerWillNotGiveFallsBackToTheWholeListing) {
  struct Case {
    const char* what;
    std::function<void(FakeCalDav&)> arm;
    bool tokenAfter;
  };
  const Case cases[] = {
      {"token no longer known (403)", [](FakeCalDav& s) { s.ForgetTokens(); }, true},
      {"no sync-collection (501)", [](FakeCalDav& s) { s.offersSync = false; }, false},
      {"truncated (507)",
       [](FakeCalDav& s) {
         s.before = [](int, const HttpRequest& request, HttpResponse& response) {
           if (request.method != "REPORT") return;
           response.status = 207;
           response.body =
               "<multistatus xmlns=\"DAV:\"><response><href>/ana/casa/</href><status>HTTP/1.1 "
               "507 Insufficient Storage</status></response><sync-token>t</sync-token>"
               "</multistatus>";
         };
       },
       true},
      {"broken answer",
       [](FakeCalDav& s) {
         s.before = [](int, const HttpRequest& request, HttpResponse& response) {
           if (request.method != "REPORT") return;
           response.status = 207;
           response.body = "<multistatus xmlns=\"DAV:\"><response>";
         };
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    Add(Label({"Piano"}, 5));
    Add(Label({"Dentista"}, 6));
    ASSERT_TRUE(Sync().ok);
    server_.events.erase(HrefOf("6/3 " + std::to_string(kColor) + " Dentista"));
    server_.Put("cine.ics", PhoneEvent("phone-1", "20250310", "Cine"));
    c.arm(server_);
    server_.byMethod.clear();
    SyncReport r = Sync();
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ(server_.byMethod["PROPFIND"], 2);  // the token, then the listing
    EXPECT_EQ(r.down, 1);
    EXPECT_EQ(r.removedHere, 1);
    EXPECT_EQ(TextsOf(Records()), ServerTexts());
    SyncState state;
    ASSERT_EQ(LoadSyncState(state_, state), FileError::None);
    EXPECT_EQ(!state.syncToken.empty(), c.tokenAfter);
  }
}

TEST_F(SyncTest, ChangesOnTheServerComeDownAsOneChangeOfTheFile) {
  Add(Label({"Piano"}, 5));
  Add(Label({"Dentista"}, 6));
  ASSERT_TRUE(Sync().ok);
  const std::string piano = HrefOf("5/3 " + std::to_string(kColor) + " Piano");
  const std::string dentist = HrefOf("6/3 " + std::to_string(kColor) + " Dentista");
  ASSERT_FALSE(piano.empty());
  ASSERT_FALSE(dentist.empty());
  // The phone corrects one (its title, text and colour, keeping what it does
  // not know), deletes the other and adds three more events: one, one
  // repeated on three days, one far outside the almanac.
  std::string body = server_.events[piano].body;
  for (auto [from, to] :
       {std::pair<std::string, std::string>{"SUMMARY:Piano", "SUMMARY:Piano y canto"},
        {"DESCRIPTION:Piano", "DESCRIPTION:Piano y canto"},
        {"\r\nCOLOR:", "\r\nCOLOR:red\r\nX-OLD:"}})
    body.replace(body.find(from), from.size(), to);
  server_.events[piano] = {body, "\"p2\""};
  server_.events.erase(dentist);
  server_.Put("nuevo.ics", PhoneEvent("phone-1", "20250310", "Cine"));
  server_.Put("cada-dia.ics",
              PhoneEvent("phone-2", "20250401", "Feria", "RRULE:FREQ=DAILY;COUNT=3\r\n"));
  const std::string outside = PhoneEvent("phone-3", "20270101", "Lejos");
  server_.Put("lejos.ics", outside);

  SyncReport r = Sync();
  ASSERT_TRUE(r.ok) << r.failure;
  EXPECT_EQ(r.down, 5);
  EXPECT_EQ(r.removedHere, 1);
  EXPECT_EQ(r.up, 0);
  const std::string white = std::to_string(0xFFFFFF);
  EXPECT_EQ(TextsOf(Records()),
            (std::vector<std::string>{"1/4 " + white + " Feria", "10/3 " + white + " Cine",
                                      "2/4 " + white + " Feria", "3/4 " + white + " Feria",
                                      "5/3 255 Piano y canto"}));
  EXPECT_EQ(server_.events[FakeCalDav::kPath + T("lejos.ics")].body, outside);

  server_.byMethod.clear();
  r = Sync();
  ASSERT_TRUE(r.ok) << r.failure;
  EXPECT_EQ(server_.byMethod["PUT"] + server_.byMethod["GET"] + server_.byMethod["DELETE"], 0);
}

TEST_F(SyncTest, ChangesHereGoUpAndKeepTheirEvents) {
  Add(Label({"Piano"}, 5));
  Add(Label({"Dentista"}, 5));
  Add(Label({"Cine"}, 7));
  ASSERT_TRUE(Sync().ok);
  const std::string c = std::to_string(kColor);
  const std::string piano = HrefOf("5/3 " + c + " Piano");
  const std::string cine = HrefOf("7/3 " + c + " Cine");
  // Piano corrected in place, Dentista removed, Cine moved to the 9th, one added.
  const std::vector<LabelRecord> was = Records();
  LabelFileEdit edit;
  edit.splices.push_back({0, {was[0], was[1]}, RecordBytes(Label({"Piano (cambiado)"}, 5))});
  edit.splices.push_back({2, {was[2]}, {}});
  edit.splices.push_back({3, {}, RecordBytes(Label({"Cine"}, 9))});
  Edit(edit);
  Add(Label({"Nueva", "dos líneas"}, 8));

  SyncReport r = Sync();
  ASSERT_TRUE(r.ok) << r.failure;
  EXPECT_EQ(r.up, 3);
  EXPECT_EQ(r.removedThere, 1);
  EXPECT_EQ(server_.events.size(), 3u);
  EXPECT_EQ(HrefOf("5/3 " + c + " Piano (cambiado)"), piano);
  EXPECT_EQ(HrefOf("9/3 " + c + " Cine"), cine);
  EXPECT_EQ(ServerTexts(), TextsOf(Records()));
}

TEST_F(SyncTest, ChangedOnBothSidesKeepsBothVersions) {
  Add(Label({"Piano"}, 5));
  Add(Label({"Otra"}, 6));
  ASSERT_TRUE(Sync().ok);
  const std::string c = std::to_string(kColor);
  const std::string piano = HrefOf("5/3 " + c + " Piano");
  const std::vector<LabelRecord> was = Records();
  LabelFileEdit edit;
  edit.splices.push_back({0, {was[0]}, RecordBytes(Label({"Piano aquí"}, 5))});
  Edit(edit);
  server_.events[piano] = {PhoneEvent("uid-1", "20250305", "Piano allí"), "\"p2\""};

  SyncReport r = Sync();
  ASSERT_TRUE(r.ok) << r.failure;
  EXPECT_EQ(r.conflicts, 1);
  EXPECT_NE(SyncReportText(r).find(
                "1 etiquetas cambiadas en los dos lados: se guardaron las dos versiones."),
            std::string::npos);
  // The server's version right after the one here, on its day.
  const std::vector<LabelRecord> now = Records();
  ASSERT_EQ(now.size(), 3u);
  EXPECT_STREQ(now[0].text, "Piano aquí");
  EXPECT_STREQ(now[1].text, "Piano allí");
  EXPECT_EQ(TextsOf(Records()), ServerTexts());
  EXPECT_EQ(HrefOf("5/3 " + std::to_string(0xFFFFFF) + " Piano allí"), piano);

  server_.byMethod.clear();
  r = Sync();
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.conflicts + r.up + r.down, 0);
}

TEST_F(SyncTest, DeletedOnOneSideAndChangedOnTheOtherTheChangeWins) {
  const std::string c = std::to_string(kColor);
  for (bool deletedHere : {true, false}) {
    SCOPED_TRACE(deletedHere ? "deleted here" : "deleted there");
    Fresh();
    Add(Label({"Piano"}, 5));
    Add(Label({"Otra"}, 6));
    ASSERT_TRUE(Sync().ok);
    const std::string piano = HrefOf("5/3 " + c + " Piano");
    const std::vector<LabelRecord> was = Records();
    LabelFileEdit edit;
    edit.splices.push_back(
        {0, {was[0]}, deletedHere ? std::vector<uint8_t>{} : RecordBytes(Label({"Piano bis"}, 5))});
    Edit(edit);
    if (deletedHere)
      server_.events[piano] = {PhoneEvent("uid-1", "20250305", "Piano bis"), "\"p2\""};
    else
      server_.events.erase(piano);
    SyncReport r = Sync();
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ(TextsOf(Records()), ServerTexts());
    EXPECT_EQ(TextsOf(Records()).size(), 2u);
    const std::string expected =
        deletedHere ? "5/3 " + std::to_string(0xFFFFFF) + " Piano bis" : "5/3 " + c + " Piano bis";
    EXPECT_EQ(HrefOf(expected), piano);
  }
}

TEST_F(SyncTest, AnEventTheServerRefusesIsReportedOnceAndTheOthersGo) {
  Add(Label({"Uno"}, 5));
  Add(Label({"Prohibido"}, 6));
  Add(Label({"Tres"}, 7));
  server_.refuses = [](const std::string& body) {
    return body.find("Prohibido") != std::string::npos;
  };
  SyncReport r = Sync();
  ASSERT_TRUE(r.ok) << r.failure;
  EXPECT_EQ(r.up, 2);
  EXPECT_EQ(r.refused, 1);
  EXPECT_EQ(server_.events.size(), 2u);
  server_.byMethod.clear();
  r = Sync();
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.refused, 0);
  EXPECT_EQ(server_.byMethod["PUT"], 0);
  EXPECT_EQ(Records().size(), 3u);  // nothing lost here
}

TEST_F(SyncTest, AnEventChangedThereDuringTheSyncIsAConflictNextTimeNotALoop) {
  Add(Label({"Piano"}, 5));
  ASSERT_TRUE(Sync().ok);
  const std::string piano = server_.events.begin()->first;
  const std::vector<LabelRecord> was = Records();
  LabelFileEdit edit;
  edit.splices.push_back({0, {was[0]}, RecordBytes(Label({"Piano aquí"}, 5))});
  Edit(edit);
  server_.byMethod.clear();
  server_.before = [&](int, const HttpRequest& request, HttpResponse&) {
    if (request.method == "PUT")  // the phone is quicker
      server_.events[piano] = {PhoneEvent("uid-1", "20250305", "Piano allí"), "\"p9\""};
  };
  SyncReport r = Sync();
  ASSERT_TRUE(r.ok) << r.failure;
  EXPECT_EQ(r.raced, 1);
  EXPECT_EQ(server_.byMethod["PUT"], 1);
  server_.before = nullptr;
  r = Sync();
  ASSERT_TRUE(r.ok) << r.failure;
  EXPECT_EQ(r.conflicts, 1);
  EXPECT_EQ(TextsOf(Records()).size(), 2u);
  EXPECT_EQ(TextsOf(Records()), ServerTexts());
}

TEST_F(SyncTest, HostileAnswersAreRefusedAndChangeNothing) {
  const std::vector<std::string> listings = {
      "<multistatus xmlns=\"DAV:\"><response><href>/ana/casa/a.ics",  // cut off
      "<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\">]><multistatus "
      "xmlns=\"DAV:\">&a;</multistatus>",
      "<html>no es un calendario</html>",
  };
  for (const std::string& listing : listings) {
    SCOPED_TRACE(listing);
    Fresh();
    Add(Label({"Piano"}, 5));
    const std::string before = Bytes();
    server_.before = [&](int, const HttpRequest& request, HttpResponse& response) {
      if (request.method != "PROPFIND") return;
      response.status = 207;
      response.body = listing;
    };
    SyncReport r = Sync();
    EXPECT_FALSE(r.ok);
    EXPECT_NE(SyncReportText(r).find("no es la de un calendario"), std::string::npos);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(server_.byMethod["PUT"], 0);
    EXPECT_FALSE(FileExists(state_));
  }
  // A broken event is left alone on the server and said once.
  Fresh();
  server_.Put("roto.ics", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:nada\r\n");
  SyncReport r = Sync();
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.unreadable, 1);
  EXPECT_FALSE(FileExists(path_));
  EXPECT_EQ(Sync().unreadable, 0);
}

TEST_F(SyncTest, TwoCopiesConvergeInTurnsAndAtTheSameTime) {
  UseCopy("a");
  Add(Label({"P"}, 5));
  Add(Label({"Q"}, 6));
  Add(Label({"R"}, 7));
  ASSERT_TRUE(Sync().ok);
  UseCopy("b");
  ASSERT_TRUE(Sync().ok);
  EXPECT_EQ(TextsOf(Records()), ServerTexts());
  // In turns: corrected, moved, deleted and added in one, then synced in the other.
  Change("P", "P2");
  Change("Q", "Q", 9);
  Change("R", nullptr);
  Add(Label({"S"}, 8));
  ASSERT_TRUE(Sync().ok);
  UseCopy("a");
  ASSERT_TRUE(Sync().ok);
  EXPECT_EQ(TextsOf(Records()), ServerTexts());
  // At the same time: the other copy syncs while this one is between its
  // look at the server and its first request there.
  Change("S", "S2");
  Add(Label({"T"}, 10));
  UseCopy("b");
  Change("P2", nullptr);
  Add(Label({"U"}, 11));
  UseCopy("a");
  bool inside = false;
  server_.before = [&](int, const HttpRequest& request, HttpResponse&) {
    if (inside || request.method != "PUT") return;
    inside = true;
    UseCopy("b");
    EXPECT_TRUE(Sync().ok);
    UseCopy("a");
  };
  ASSERT_TRUE(Sync().ok);
  server_.before = nullptr;
  ASSERT_TRUE(inside);
  for (const char* copy : {"b", "a", "b"}) {
    UseCopy(copy);
    ASSERT_TRUE(Sync().ok);
  }
  const std::string c = std::to_string(kColor);
  const std::vector<std::string> all = {"10/3 " + c + " T", "11/3 " + c + " U", "8/3 " + c + " S2",
                                        "9/3 " + c + " Q"};
  EXPECT_EQ(ServerTexts(), all);
  for (const char* copy : {"a", "b"}) {
    UseCopy(copy);
    EXPECT_EQ(TextsOf(Records()), all) << "copy " << copy;
  }
}

// Synced A, B, C; then A corrected and D added here, C deleted here, B
// changed and E added there: the labels every side must end with.
const std::vector<std::string>& Converged() {
  static const std::vector<std::string> labels = [] {
    const std::string c = std::to_string(kColor), w = std::to_string(0xFFFFFF);
    std::vector<std::string> l = {"5/3 " + c + " A bis", "6/3 " + w + " B bis", "8/3 " + c + " D",
                                  "9/3 " + w + " E"};
    std::sort(l.begin(), l.end());
    return l;
  }();
  return labels;
}

class SyncFaultTest : public SyncTest {
 protected:
  void Prepare() {
    Fresh();
    Add(Label({"A"}, 5));
    Add(Label({"B"}, 6));
    Add(Label({"C"}, 7));
    ASSERT_TRUE(Sync().ok);
    const std::string b = HrefOf("6/3 " + std::to_string(kColor) + " B");
    const std::vector<LabelRecord> was = Records();
    LabelFileEdit edit;
    edit.splices.push_back({0, {was[0]}, RecordBytes(Label({"A bis"}, 5))});
    edit.splices.push_back({2, {was[2]}, RecordBytes(Label({"D"}, 8))});
    Edit(edit);
    server_.events[b] = {PhoneEvent("uid-2", "20250306", "B bis"), "\"b2\""};
    server_.Put("e.ics", PhoneEvent("phone-e", "20250309", "E"));
    server_.requests = 0;
    server_.byMethod.clear();
  }
  void ExpectConvergedAfterOneMoreSync() {
    SyncReport r = Sync();
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ(TextsOf(Records()), Converged());
    EXPECT_EQ(ServerTexts(), Converged());
  }
};

TEST_F(SyncFaultTest, EveryRequestFailingLosesNothingAndTheNextSyncEndsTheJob) {
  Prepare();
  ASSERT_TRUE(Sync().ok);
  // REPORT, 2 GET, 2 PUT, 1 DELETE, and the REPORT that moves the token past its own PUTs
  const int requests = server_.requests;
  ASSERT_EQ(requests, 7);
  struct Fault {
    NetError error;
    int status;
    const char* said;
  };
  const Fault faults[] = {{NetError::Unreachable, 0, "no se pudo conectar"},
                          {NetError::Timeout, 0, "no contestó a tiempo"},
                          {NetError::Cut, 0, "llegó cortada"},
                          {NetError::None, 401, "usuario o la contraseña"},
                          {NetError::None, 503, "error (503)"}};
  for (const Fault& fault : faults) {
    for (int k = 1; k <= requests; ++k) {
      SCOPED_TRACE(std::string(fault.said) + ", request " + std::to_string(k));
      Prepare();
      server_.before = [&](int n, const HttpRequest&, HttpResponse& response) {
        if (n != k) return;
        response.error = fault.error;
        response.status = fault.status;
      };
      SyncReport r = Sync();
      if (k == requests) {
        EXPECT_TRUE(r.ok) << r.failure;  // all done; the next sync lists the whole calendar
      } else {
        EXPECT_FALSE(r.ok);
        EXPECT_NE(SyncReportText(r).find(fault.said), std::string::npos) << SyncReportText(r);
      }
      server_.before = nullptr;
      ExpectConvergedAfterOneMoreSync();
    }
  }
}

TEST_F(SyncFaultTest, ACrashAtAnyStepLeavesTheFileWholeAndTheNextSyncNeitherDoublesNorDrops) {
  Prepare();
  ASSERT_TRUE(Sync(ResetFileFaults).ok);
  int counts[int(FileOp::kCount)];
  for (int op = 0; op < int(FileOp::kCount); ++op) counts[op] = FileOperationCount(FileOp(op));
  int tried = 0;
  for (int op = 0; op < int(FileOp::kCount); ++op) {
    for (int n = 1; n <= counts[op]; ++n, ++tried) {
      SCOPED_TRACE("crash at operation " + std::to_string(n) + " of kind " + std::to_string(op));
      Prepare();
      const std::vector<std::string> before = TextsOf(Records());
      Sync([&] {
        ResetFileFaults();
        CrashAtFileOperation(FileOp(op), n);
      });
      ResetFileFaults();  // the program starts again
      const std::vector<std::string> after = TextsOf(Records());
      EXPECT_TRUE(after == before || after == Converged());
      ExpectConvergedAfterOneMoreSync();
    }
  }
  EXPECT_GT(tried, 10);
}

}  // namespace
