// An almanac: its name, its label file and the days it spans.
#pragma once
#include <cstdint>
#include <string>

struct AlmanacState {
  std::string name;      // no folder, no extension
  std::string filePath;  // the label file: the opened file, or the almanac folder's for a new one
  int16_t startDay = 0;
  int16_t startMonth = 0;
  int16_t startYear = 0;
  int16_t dayCount = 0;  // N: the almanac shows N + 1 days
};

// True when the four settings describe an almanac we can draw: a real date
// from 1601 on (the first year Windows file times reach) and 15..366 days.
// Files are checked with this before anything is drawn from them.
bool IsValidAlmanacSettings(int16_t day, int16_t month, int16_t year, int16_t dayCount);
