// One sync of an almanac's labels with a CalDAV calendar, both ways. The
// labels are compared with what both sides last agreed on (sync_state.h):
// what changed here goes up, what changed on the server comes down as one
// change of the label file, and a label changed on both sides is kept
// twice. Every step is recorded before it is taken, so a failure or a
// crash at any point loses nothing and the next sync neither doubles nor
// drops a label. Portable.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../data/almanac_state.h"
#include "../data/label_edit.h"
#include "../share/wall_time.h"
#include "caldav_client.h"
#include "sync_state.h"

struct SyncInput {
  AlmanacState almanac;              // its days, and the settings its records carry
  std::vector<LabelRecord> records;  // the label file as the program holds it
  bool fileExists = true;            // false for an almanac that has no label yet
  std::string statePath;
  std::string version;  // tarvina's, for PRODID
  WallTime stampUtc;
  LocalFromUtcFn localFromUtc = nullptr;
  std::function<std::string()> makeUid;  // a new, unique UID for a label sent the first time
};

// Changes the label file as one change: a copy first, then the edit, then
// the almanac shown again (the program's), or the file alone (the tests').
// None only once the file holds the change.
using ApplyLocalEdit = std::function<FileError(const LabelFileEdit& edit)>;

struct SyncReport {
  bool ok = false;
  std::string failure;   // why it stopped (Windows-1252), when !ok
  int up = 0;            // labels sent (new or changed)
  int down = 0;          // labels added or corrected here from the server
  int removedHere = 0;   // labels removed here because the server's event went
  int removedThere = 0;  // events removed from the server
  int conflicts = 0;     // changed on both sides: kept twice
  int refused = 0;       // refused by the server (400, 415): reported, not sent again
  int raced = 0;         // changed on the server during this sync (412): next time
  int unreadable = 0;    // events of the server that are no calendar tarvina reads
  LabelFileEdit edit;    // the change made to the label file (empty: none)
};

SyncReport RunSync(CalDavClient& client, const SyncInput& input, const ApplyLocalEdit& apply);

// What the user is told.
std::string SyncReportText(const SyncReport& report);
// Why a request failed, for the user.
std::string NetFailureText(const DavResult& result);
