// The whole almanac as one PNG file: drawn band after band, each band
// handed to the system's PNG encoder (WIC) as it is drawn, so the memory
// taken is that of one band whatever the almanac holds.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../data/file_io.h"
#include "../data/label_file.h"
#include "../render/layout.h"

// Rows drawn and encoded at a time: a tile's worth (7.8 MB with the rows
// handed to the encoder).
constexpr int kPictureBandRows = 1024;

enum class PictureError {
  None,
  NoMemory,  // no bitmap for a band
  Encoder,   // the system's encoder refused the picture (or is missing)
  File,      // writing the file failed: see `file`
  Stopped,   // the progress function asked to stop
};

struct PictureResult {
  PictureError error = PictureError::None;
  FileError file = FileError::None;
};

// Told after each band the rows done of all; returning false stops the
// work, which then ends as a failure does.
using PictureProgress = std::function<bool(int64_t rowsDone, int64_t rows)>;

// Writes the picture of the almanac `layout` places, with the labels of
// `records` (the records it was laid out from), kStripWidth pixels wide and
// layout.height tall, as the strip shows it without today's mark or a found
// line. The file at `path` (UTF-8) is replaced only once the new picture is
// whole and on the disk; on any failure it is left as it was and nothing
// else is left behind.
PictureResult WriteAlmanacPicture(const std::string& path, const AlmanacLayout& layout,
                                  const std::vector<LabelRecord>& records,
                                  const PictureProgress& progress = {});
