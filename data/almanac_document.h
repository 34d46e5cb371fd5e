// The almanac shown: what it is, its labels as its file holds them, where
// everything goes in its picture, the changes of this run and the search.
// Its operations take what they need, call no system of windows and show
// nothing: each says what happened, and one that fails leaves the document
// as it was. Portable: no <windows.h>.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "../render/layout.h"
#include "almanac_state.h"
#include "backup.h"
#include "calendar.h"
#include "file_io.h"
#include "label_edit.h"
#include "label_file.h"
#include "label_series.h"

struct AlmanacDocument {
  int dpi = kBaseDpi;  // the screen its picture is laid out for
  AlmanacState almanac;
  std::vector<LabelRecord> records;  // as the file holds them, in file order
  AlmanacLayout layout;              // made from the two: no days while none is shown
  // The changes of this run to the almanac's file, the last one last, each
  // kept as the change that takes it back. Only what a change touched is
  // kept, so a long run with a large almanac holds little.
  std::vector<LabelFileEdit> undo;
  // A copy of the file as it was before its first change of this run has
  // been made (or there was no file to copy).
  bool backedUp = false;
  // The text searched last, and where it was found last ("Buscar
  // siguiente" goes on from there).
  std::string searchText;
  bool hasLastHit = false;
  LabelPlace lastHit;
  // The date a new label is offered: the last one chosen in "Nueva" (0: none yet).
  CivilDate nextLabel;
};

// Whether an almanac is shown: one with its days laid out.
bool IsShown(const AlmanacDocument& doc);
// Its first and last day; the document must be shown.
CivilDate FirstDay(const AlmanacDocument& doc);
CivilDate LastDay(const AlmanacDocument& doc);

// Which step of an operation failed.
enum class DocumentStep {
  None,
  NotShown,  // there is no almanac, no such label or nothing to take back
  Read,      // the file could not be read (`error` says why)
  Settings,  // the file says nothing of the days the almanac spans
  Memory,    // there was no memory to lay the almanac out
  Backup,    // the copy before the first change could not be made
  Write,     // the file could not be changed
};

struct DocumentOutcome {
  DocumentStep failed = DocumentStep::None;
  FileError error = FileError::None;
  // The first row of the picture that may have changed (kNoRow: none).
  int64_t firstChangedRow = kNoRow;
  bool ok() const { return failed == DocumentStep::None; }
};

// Where the copy before a run's first change goes, and when it is made.
struct BackupPlace {
  std::string folder;  // empty: there is nowhere to make one
  BackupTime when;
};

// The almanac `name` of the label file at `path`, read and laid out;
// nothing of this run to take back yet.
DocumentOutcome OpenAlmanacFile(AlmanacDocument& doc, const std::string& path,
                                const std::string& name);
// The shown almanac's file read again (while it has none, no labels): the
// changes of the run stay.
DocumentOutcome ReadAgain(AlmanacDocument& doc);
// A new almanac, `almanac` (its file does not exist yet), without labels.
DocumentOutcome StartNewAlmanac(AlmanacDocument& doc, const AlmanacState& almanac);

// `lines` (records of the shown almanac) appended to its file in one write,
// as one change; a copy of the file made first, the first time.
DocumentOutcome AppendLabels(AlmanacDocument& doc, const std::vector<LabelRecord>& lines,
                             const BackupPlace& backup);
// The label at `place` (its day and block) gives way to `lines`: in its
// place when the date stays, at the end of the file (so the end of the new
// day's stack) when it changes.
DocumentOutcome ChangeLabel(AlmanacDocument& doc, const LabelPlace& place,
                            const std::vector<LabelRecord>& lines, const BackupPlace& backup);
// The label at `place` goes. The almanac's last label takes the file with
// it: an empty file would no longer say which days the almanac spans and
// could not be opened ("Deshacer" makes it again).
DocumentOutcome RemoveLabel(AlmanacDocument& doc, const LabelPlace& place,
                            const BackupPlace& backup);
// `edit`, made from the records shown (the labels of a series from one of
// them on, changed or removed), in one rewrite as one change; a copy of the
// file made first, the first time.
DocumentOutcome ApplyEdit(AlmanacDocument& doc, const LabelFileEdit& edit,
                          const BackupPlace& backup);
// The last change of this run taken back.
DocumentOutcome UndoLastChange(AlmanacDocument& doc);

// The almanac laid out again for a screen of `dpi`, which later layouts use
// too; the records and the file stay as they are.
DocumentOutcome LayOutForDpi(AlmanacDocument& doc, int dpi);

// The records of the label block at `place`, or none when there is no such block.
std::vector<LabelRecord> LabelAt(const AlmanacDocument& doc, const LabelPlace& place);

// The label at `place` and the later labels of its series, with the
// series' rule; no labels when it belongs to no series.
struct SeriesPart {
  Repeat repeat = Repeat::None;
  std::vector<LabelRun> labels;
};
SeriesPart SeriesFromLabel(const AlmanacDocument& doc, const LabelPlace& place);

// Whether any line of the almanac holds `text`.
bool HoldsText(const AlmanacDocument& doc, const std::string& text);
// Looks for `text` from the day after `topDay` on, `text` becoming the
// text searched last; true with `found` (also kept as the last hit) when a
// line holds it.
bool SearchFor(AlmanacDocument& doc, const std::string& text, size_t topDay, LabelPlace& found);
// The next line with the text searched last: after the last hit, or before
// any from the day after `topDay` on.
bool SearchNext(AlmanacDocument& doc, size_t topDay, LabelPlace& found);

// The commands of the main window.
enum class Command {
  New,
  Open,
  About,
  Exit,
  NewLabel,
  Undo,
  ChangeLabel,
  RemoveLabel,
  GoToday,
  GoToDate,
  Find,
  FindNext,
  ShareExport,
  ShareImport,
  SharePicture,
  Sync,
};

// What keeps the window from starting another command for now.
struct Busy {
  bool dialog = false;      // a dialog of the window, or the picture, is open
  bool newAlmanac = false;  // "Nuevo" is open, or its folder being checked
};

// Whether `command` may run now. A run shows one almanac: once it is shown,
// labels can be added, changed and taken back, it can be gone through and
// shared, and no other almanac can be created or opened. A dialog open
// keeps the commands that open another from running (the menus show what
// the document allows: pass Busy() for them).
bool IsAvailable(Command command, const AlmanacDocument& doc, const Busy& busy);
