#include "almanac_document.h"

#include <algorithm>
#include <new>
#include <utility>

#include "../render/label_search.h"

namespace {

// Room for `extra` more elements, growing as push_back would (a reserve of
// just enough would copy the whole vector on every change).
template <typename T>
void MakeRoom(std::vector<T>& v, size_t extra) {
  if (v.capacity() - v.size() < extra) v.reserve(std::max(v.size() + extra, 2 * v.capacity()));
}

DocumentOutcome Failed(DocumentStep step, FileError error) {
  DocumentOutcome outcome;
  outcome.failed = step;
  outcome.error = error;
  return outcome;
}

DocumentOutcome ChangedFrom(int64_t row) {
  DocumentOutcome outcome;
  outcome.firstChangedRow = row;
  return outcome;
}

// The almanac of the file at `path` (or, while it has none, with no
// labels) into `almanac`, `records` and `layout`.
DocumentOutcome Load(const std::string& path, AlmanacState& almanac,
                     std::vector<LabelRecord>& records, AlmanacLayout& layout, int dpi) {
  if (!path.empty() && LabelFileExists(path)) {
    const FileError error = ReadLabelRecords(path, records, almanac);
    if (error != FileError::None) return Failed(DocumentStep::Read, error);
  }
  if (!IsValidAlmanacSettings(almanac.startDay, almanac.startMonth, almanac.startYear,
                              almanac.dayCount))
    return Failed(DocumentStep::Settings, FileError::Damaged);
  layout = LayOutAlmanac(almanac, records, dpi);
  return ChangedFrom(0);
}

// Before the first change of a run, a copy of the file as it is; nothing
// may change without it.
DocumentOutcome BackUpBeforeFirstChange(AlmanacDocument& doc, const BackupPlace& backup) {
  if (doc.backedUp) return DocumentOutcome();
  const std::string& path = doc.almanac.filePath;
  if (!FileExists(path)) {
    doc.backedUp = true;  // the first label makes the file: nothing to lose yet
    return DocumentOutcome();
  }
  const FileError error = backup.folder.empty()
                              ? FileError::PathNotFound
                              : BackUpLabelFile(path, doc.almanac.name, backup.folder, backup.when);
  if (error != FileError::None) return Failed(DocumentStep::Backup, error);
  doc.backedUp = true;
  return DocumentOutcome();
}

// `edit` on the file (a copy made first, the first time, when `backup` is
// given) and on the records shown. Everything that needs memory is done
// before the file is touched, so running out of it changes nothing.
DocumentOutcome EditFile(AlmanacDocument& doc, const LabelFileEdit& edit, const BackupPlace* backup,
                         bool takesBack) {
  std::vector<LabelRecord> records = doc.records;
  ApplyLabelFileEdit(records, edit);
  AlmanacLayout layout = LayOutAlmanac(doc.almanac, records, doc.dpi);
  const int64_t first = FirstChangedRow(doc.layout, doc.records, layout, records);
  if (!takesBack) MakeRoom(doc.undo, 1);
  if (backup) {
    const DocumentOutcome copied = BackUpBeforeFirstChange(doc, *backup);
    if (!copied.ok()) return copied;
  }
  LabelFileEdit undo;
  const FileError error = RewriteLabelFile(doc.almanac.filePath, edit, takesBack ? nullptr : &undo);
  if (error != FileError::None) return Failed(DocumentStep::Write, error);
  if (takesBack)
    doc.undo.pop_back();
  else
    doc.undo.push_back(std::move(undo));
  doc.records.swap(records);
  doc.layout = std::move(layout);
  return ChangedFrom(first);
}

const LabelBlock* BlockAt(const AlmanacDocument& doc, const LabelPlace& place) {
  if (place.day >= doc.layout.days.size()) return nullptr;
  const std::vector<LabelBlock>& blocks = doc.layout.days[place.day].blocks;
  return place.block < blocks.size() ? &blocks[place.block] : nullptr;
}

bool Find(AlmanacDocument& doc, const LabelPlace& from, LabelPlace& found) {
  if (!FindLabelLine(doc.layout, doc.records, doc.searchText, from, found)) return false;
  doc.lastHit = found;
  doc.hasLastHit = true;
  return true;
}

}  // namespace

bool IsShown(const AlmanacDocument& doc) { return !doc.layout.days.empty(); }

CivilDate FirstDay(const AlmanacDocument& doc) { return DateOfDay(doc.layout.days.front()); }

CivilDate LastDay(const AlmanacDocument& doc) { return DateOfDay(doc.layout.days.back()); }

DocumentOutcome OpenAlmanacFile(AlmanacDocument& doc, const std::string& path,
                                const std::string& name) {
  try {
    AlmanacState almanac;
    almanac.name = name;
    // The file is the almanac: read it, and change it later, where it is.
    almanac.filePath = path;
    std::vector<LabelRecord> records;
    AlmanacLayout layout;
    const DocumentOutcome outcome = Load(path, almanac, records, layout, doc.dpi);
    if (!outcome.ok()) return outcome;
    doc.almanac = std::move(almanac);
    doc.records.swap(records);
    doc.layout = std::move(layout);
    doc.undo.clear();
    doc.backedUp = false;
    return outcome;
  } catch (const std::bad_alloc&) {
    return Failed(DocumentStep::Memory, FileError::NoMemory);
  }
}

DocumentOutcome ReadAgain(AlmanacDocument& doc) {
  if (!IsShown(doc)) return Failed(DocumentStep::NotShown, FileError::None);
  try {
    AlmanacState almanac = doc.almanac;
    std::vector<LabelRecord> records;
    AlmanacLayout layout;
    const DocumentOutcome outcome = Load(almanac.filePath, almanac, records, layout, doc.dpi);
    if (!outcome.ok()) return outcome;
    doc.almanac = std::move(almanac);
    doc.records.swap(records);
    doc.layout = std::move(layout);
    return outcome;
  } catch (const std::bad_alloc&) {
    return Failed(DocumentStep::Memory, FileError::NoMemory);
  }
}

DocumentOutcome StartNewAlmanac(AlmanacDocument& doc, const AlmanacState& almanac) {
  try {
    AlmanacState shown = almanac;
    AlmanacLayout layout = LayOutAlmanac(shown, {}, doc.dpi);
    if (layout.days.empty()) return Failed(DocumentStep::Settings, FileError::Damaged);
    doc.almanac = std::move(shown);
    doc.records.clear();  // a new almanac's file does not exist yet
    doc.layout = std::move(layout);
    doc.undo.clear();
    doc.backedUp = false;
    return ChangedFrom(0);
  } catch (const std::bad_alloc&) {
    return Failed(DocumentStep::Memory, FileError::NoMemory);
  }
}

DocumentOutcome AppendLabels(AlmanacDocument& doc, const std::vector<LabelRecord>& lines,
                             const BackupPlace& backup) {
  if (!IsShown(doc) || lines.empty()) return Failed(DocumentStep::NotShown, FileError::None);
  const size_t had = doc.records.size();
  try {
    // The file will end with these records: so do the records shown, for
    // the layout, until the file has them or has refused them.
    MakeRoom(doc.undo, 1);
    MakeRoom(doc.records, lines.size());
    doc.records.insert(doc.records.end(), lines.begin(), lines.end());
    AlmanacLayout layout = LayOutAlmanac(doc.almanac, doc.records, doc.dpi);
    const int64_t first = FirstChangedRow(doc.layout, doc.records, layout, doc.records);
    DocumentOutcome outcome = BackUpBeforeFirstChange(doc, backup);
    LabelFileEdit undo;
    if (outcome.ok()) {
      const FileError error = AppendLabel(doc.almanac.filePath, lines, &undo);
      if (error != FileError::None) outcome = Failed(DocumentStep::Write, error);
    }
    if (!outcome.ok()) {
      doc.records.resize(had);
      return outcome;
    }
    doc.undo.push_back(std::move(undo));
    doc.layout = std::move(layout);
    return ChangedFrom(first);
  } catch (const std::bad_alloc&) {
    doc.records.resize(had);
    return Failed(DocumentStep::Memory, FileError::NoMemory);
  }
}

DocumentOutcome ChangeLabel(AlmanacDocument& doc, const LabelPlace& place,
                            const std::vector<LabelRecord>& lines, const BackupPlace& backup) {
  const LabelBlock* block = BlockAt(doc, place);
  if (!block || lines.empty()) return Failed(DocumentStep::NotShown, FileError::None);
  try {
    std::vector<LabelRecord> was = LabelAt(doc, place);
    const LabelRecord& first = was.front();
    const LabelRecord& now = lines.front();
    LabelFileEdit edit;
    if (now.day == first.day && now.month == first.month && now.year == first.year) {
      edit.splices.push_back({block->firstRecord, std::move(was), RecordBytes(lines)});
    } else {
      edit.splices.push_back({block->firstRecord, std::move(was), {}});
      edit.splices.push_back({doc.records.size(), {}, RecordBytes(lines)});
    }
    return EditFile(doc, edit, &backup, false);
  } catch (const std::bad_alloc&) {
    return Failed(DocumentStep::Memory, FileError::NoMemory);
  }
}

DocumentOutcome RemoveLabel(AlmanacDocument& doc, const LabelPlace& place,
                            const BackupPlace& backup) {
  const LabelBlock* block = BlockAt(doc, place);
  if (!block) return Failed(DocumentStep::NotShown, FileError::None);
  try {
    LabelFileEdit edit;
    if (block->lineCount == doc.records.size()) {
      edit.removesFile = true;
      edit.setsTail = true;
    }
    edit.splices.push_back({block->firstRecord, LabelAt(doc, place), {}});
    return EditFile(doc, edit, &backup, false);
  } catch (const std::bad_alloc&) {
    return Failed(DocumentStep::Memory, FileError::NoMemory);
  }
}

DocumentOutcome ApplyEdit(AlmanacDocument& doc, const LabelFileEdit& edit,
                          const BackupPlace& backup) {
  if (!IsShown(doc) || edit.splices.empty()) return Failed(DocumentStep::NotShown, FileError::None);
  try {
    return EditFile(doc, edit, &backup, false);
  } catch (const std::bad_alloc&) {
    return Failed(DocumentStep::Memory, FileError::NoMemory);
  }
}

DocumentOutcome UndoLastChange(AlmanacDocument& doc) {
  if (!IsShown(doc) || doc.undo.empty()) return Failed(DocumentStep::NotShown, FileError::None);
  try {
    return EditFile(doc, doc.undo.back(), nullptr, true);
  } catch (const std::bad_alloc&) {
    return Failed(DocumentStep::Memory, FileError::NoMemory);
  }
}

std::vector<LabelRecord> LabelAt(const AlmanacDocument& doc, const LabelPlace& place) {
  const LabelBlock* block = BlockAt(doc, place);
  if (!block) return {};
  const auto first = doc.records.begin() + std::ptrdiff_t(block->firstRecord);
  return std::vector<LabelRecord>(first, first + std::ptrdiff_t(block->lineCount));
}

SeriesPart SeriesFromLabel(const AlmanacDocument& doc, const LabelPlace& place) {
  SeriesPart part;
  const LabelBlock* block = BlockAt(doc, place);
  if (!block) return part;
  const std::vector<LabelSeries> series = FindLabelSeries(doc.records, GroupLabels(doc.records));
  if (const LabelSeries* found = SeriesOfLabel(series, block->firstRecord)) {
    part.repeat = found->repeat;
    part.labels = ThisAndFollowing(*found, block->firstRecord);
  }
  return part;
}

bool HoldsText(const AlmanacDocument& doc, const std::string& text) {
  LabelPlace found;
  return FindLabelLine(doc.layout, doc.records, text, LabelPlace(), found);
}

bool SearchFor(AlmanacDocument& doc, const std::string& text, size_t topDay, LabelPlace& found) {
  doc.searchText = text;
  return Find(doc, AfterDay(topDay), found);
}

bool SearchNext(AlmanacDocument& doc, size_t topDay, LabelPlace& found) {
  return Find(doc, doc.hasLastHit ? AfterLine(doc.lastHit) : AfterDay(topDay), found);
}

bool IsAvailable(Command command, const AlmanacDocument& doc, const Busy& busy) {
  const bool shown = IsShown(doc);
  switch (command) {
    case Command::New:
    case Command::Open:
      return !shown && !busy.newAlmanac;
    case Command::About:
      return !busy.dialog;
    case Command::Exit:
      return true;
    case Command::Undo:
      return shown && !doc.undo.empty() && !busy.dialog;
    case Command::NewLabel:
    case Command::ChangeLabel:
    case Command::RemoveLabel:
    case Command::GoToDate:
    case Command::Find:
    case Command::ShareExport:
    case Command::ShareImport:
    case Command::SharePicture:
    case Command::Sync:
      return shown && !busy.dialog;
    case Command::GoToday:
    case Command::FindNext:
      return shown;
  }
  return false;
}

DocumentOutcome LayOutForDpi(AlmanacDocument& doc, int dpi) {
  try {
    if (IsShown(doc)) doc.layout = LayOutAlmanac(doc.almanac, doc.records, dpi);
    doc.dpi = dpi;
    return ChangedFrom(0);
  } catch (const std::bad_alloc&) {
    return Failed(DocumentStep::Memory, FileError::NoMemory);
  }
}
