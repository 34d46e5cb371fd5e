// What a linked almanac knew of its calendar at the end of its last sync:
// for each label its event (UID, address on the server, ETag) and the
// content both sides last agreed on. The .zanual file cannot carry an id,
// so a label is found again through this content. Kept in a file of its
// own, rewritten whole beside the old one and put in its place in one step,
// as the label file is. Portable.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "../data/file_io.h"

// One label's content as both sides hold it: its day, its colour (24 bits)
// and its lines (Windows-1252).
struct SyncLabel {
  int16_t year = 0, month = 0, day = 0;
  int32_t color = 0;
  std::vector<std::string> lines;
  bool operator==(const SyncLabel& o) const {
    return year == o.year && month == o.month && day == o.day && color == o.color &&
           lines == o.lines;
  }
  bool operator!=(const SyncLabel& o) const { return !(*this == o); }
  bool SameDay(const SyncLabel& o) const {
    return year == o.year && month == o.month && day == o.day;
  }
};

uint64_t LabelHash(const SyncLabel& label);

// One event of the calendar.
struct SyncEntry {
  std::string uid;
  std::string href;  // its path on the server
  std::string etag;  // empty: sent, or about to be, and the answer not known
  // The labels it stands for: one for an event tarvina can write back; none
  // for an event outside the almanac's days or one that cannot be read;
  // several for one that repeats or spans days (those are only read).
  std::vector<SyncLabel> labels;
  // Written before the label file is changed: the file may still hold
  // `prior` (what it held of this event before) instead of `labels`.
  bool pending = false;
  std::vector<SyncLabel> prior;
  // The content the server refused (400, 415): not sent again until changed.
  uint64_t refused = 0;
  bool unreadable = false;  // the server's body is no calendar tarvina reads

  bool Writable() const { return labels.size() == 1 && !unreadable; }
};

struct SyncState {
  std::string syncToken;
  std::vector<SyncEntry> entries;
};

std::string EncodeSyncState(const SyncState& state);
// False when `text` is not a whole state as EncodeSyncState writes it.
bool DecodeSyncState(std::string_view text, SyncState& state);

// No file is an empty state (an almanac not synced yet); a file that is not
// whole gives Damaged.
FileError LoadSyncState(const std::string& path, SyncState& state);
// Returns None once the new state is on the disk in the old one's place;
// on any failure the old file stays as it was and no scratch file is left.
FileError SaveSyncState(const std::string& path, const SyncState& state);

// The same safe rewrite for any small text file (the link); reading one whole.
FileError WriteWholeFile(const std::string& path, std::string_view text);
FileError ReadWholeFile(const std::string& path, std::string& text, size_t limit);
