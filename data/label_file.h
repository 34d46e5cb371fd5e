// The label record and the .zanual label file: a headerless run of 142-byte
// records, one per text line of a label, only ever appended.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "file_io.h"

constexpr size_t kRecordSize = 142;
constexpr size_t kTextBytes = 120;
constexpr size_t kMaxLineBytes = 119;  // the text always keeps room for its NUL
constexpr const char* kLabelFileExtension = ".zanual";
// The most records an almanac's file may hold (142 MB): a bigger file is
// refused before anything is read, and no save makes a file bigger.
constexpr size_t kMaxRecords = 1000000;

// In memory the fields are plain members; EncodeLabelRecord and
// DecodeLabelRecord fix the on-disk layout (packed, little-endian).
struct LabelRecord {
  int16_t day = 0;
  int16_t month = 0;
  int16_t year = 0;
  char text[kTextBytes] = {};  // NUL-terminated, zeros after the NUL
  int32_t color = 0;           // COLORREF 0x00BBGGRR
  int32_t isLastLine = 0;
  int16_t almanacStartDay = 0;
  int16_t almanacStartMonth = 0;
  int16_t almanacStartYear = 0;
  int16_t almanacDayCount = 0;
};

void EncodeLabelRecord(const LabelRecord& record, uint8_t out[kRecordSize]);
// Text is taken up to its first NUL, at most 119 bytes; the rest is zero.
void DecodeLabelRecord(const uint8_t in[kRecordSize], LabelRecord& record);

// Copies `text` up to its first NUL, cut to 119 bytes, and clears the rest.
void SetRecordText(LabelRecord& record, const char* text);

// Splits one line of label text into lines of at most `width` bytes, at a
// space where there is one, never inside an icon code.
std::vector<std::string> WrapLabelLine(std::string_view line, size_t width);
// The width lines are wrapped to: one short of a record's 119 bytes, as the
// label drawing prints 118 characters, so nothing wrapped is hidden.
constexpr size_t kWrapWidth = kMaxLineBytes - 1;

struct AlmanacState;
// The records of one label of `almanac` from its lines as the label box
// shows them: one per line in order, the last one marked as the last line.
// A line longer than a record holds (the box's font need not be fixed-pitch
// where it is drawn) goes on in further records, wrapped as WrapLabelLine
// does to kWrapWidth, never cut. A CR, an LF or a CR LF inside a line
// (pasted text) starts a new line; a tab becomes a blank; other control
// characters (below 0x20, and 0x7F) are dropped.
std::vector<LabelRecord> LabelRecordsOf(const std::vector<std::string>& shown, int32_t color,
                                        int16_t day, int16_t month, int16_t year,
                                        const AlmanacState& almanac);

// A label: a run of records up to and including the first one marked as the
// last line. A final run without the mark ends at the last record. A label
// also ends before a record of another date or colour, and a record whose
// date is no date (as a crash leaves a zero-filled one) stands alone, so a
// broken record never takes the labels after it along.
struct LabelRun {
  size_t first;
  size_t count;
};
std::vector<LabelRun> GroupLabels(const std::vector<LabelRecord>& records);

// Almanac folder + name + ".zanual".
std::string LabelFilePath(const std::string& name);

enum class NameCheck { Ok, Empty, BadCharacter, DeviceName, TooLong };
// Whether `name` (UTF-8, as `folder`) can become a label file in `folder`:
// well-formed text without characters a Windows file name cannot hold, no
// device name (CON, NUL, COM1, ...), and a whole path that fits in MAX_PATH,
// as does the path of the scratch file a change writes beside it.
NameCheck CheckAlmanacName(const std::string& name, const std::string& folder);

bool LabelFileExists(const std::string& path);

// Appends one record to the label file of `name` in the almanac folder.
FileError AppendLabelRecord(const char* text, int32_t color, int16_t day, int16_t month,
                            int16_t year, int32_t isLastLine, const std::string& name,
                            int16_t startDay, int16_t startMonth, int16_t startYear,
                            int16_t dayCount);

// Appends all lines of one label with one open and one write, and returns
// None only once they are on the disk. A file whose first record describes
// another almanac than the lines' is refused (OtherAlmanac). On any failure
// the file is left as it was, byte for byte (a file the save made is
// removed), so no half label remains.
FileError AppendLabel(const std::string& path, const std::vector<LabelRecord>& lines);
// The same; once the label is on the disk, `undo` holds the change that
// takes it back (label_edit.h): the file as it was, or no file when the
// label made it.
struct LabelFileEdit;
FileError AppendLabel(const std::string& path, const std::vector<LabelRecord>& lines,
                      LabelFileEdit* undo);

// Reads the whole file into `records` (file order). When its first record
// describes a valid almanac, the four settings go into `almanac`; when it
// does not, `records` is emptied, `almanac` is left alone and Damaged is
// returned; a file of more than kMaxRecords records gives TooLarge, before
// anything is read. An empty file yields no records and leaves `almanac`
// alone. Never creates the file, never throws.
FileError ReadLabelRecords(const std::string& path, std::vector<LabelRecord>& records,
                           AlmanacState& almanac);
