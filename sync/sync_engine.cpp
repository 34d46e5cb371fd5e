#include "sync_engine.h"

#include <libical/ical.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <new>
#include <set>

#include "../data/calendar.h"
#include "../share/ics_export.h"
#include "../share/ics_import.h"

namespace {

// The state is written again after this many requests, so that a sync cut
// short repeats little; what it did not record the next one finds out by
// comparing contents.
constexpr size_t kSaveEvery = 100;

struct Local {
  SyncLabel label;
  size_t first = 0, count = 0;
  bool taken = false;
};

SyncLabel LabelOfRecords(const LabelRecord* records, size_t count) {
  SyncLabel label;
  label.year = records[0].year;
  label.month = records[0].month;
  label.day = records[0].day;
  label.color = records[0].color & 0x00FFFFFF;
  for (size_t k = 0; k < count; ++k)
    label.lines.emplace_back(records[k].text, strnlen(records[k].text, kMaxLineBytes));
  return label;
}

std::vector<LabelRecord> RecordsOfLabel(const SyncLabel& label, const AlmanacState& almanac) {
  std::vector<LabelRecord> records;
  const std::vector<std::string> lines =
      label.lines.empty() ? std::vector<std::string>{""} : label.lines;
  for (size_t k = 0; k < lines.size(); ++k) {
    LabelRecord r;
    r.day = label.day;
    r.month = label.month;
    r.year = label.year;
    SetRecordText(r, lines[k].c_str());
    r.color = label.color;
    r.isLastLine = k + 1 == lines.size() ? 1 : 0;
    r.almanacStartDay = almanac.startDay;
    r.almanacStartMonth = almanac.startMonth;
    r.almanacStartYear = almanac.startYear;
    r.almanacDayCount = almanac.dayCount;
    records.push_back(r);
  }
  return records;
}

bool InsideAlmanac(const LabelRecord& r, const AlmanacState& a) {
  if (!IsRealDate(r.year, r.month, r.day)) return false;
  CivilDate first{a.startYear, a.startMonth, a.startDay, 0};
  CivilDate last = first;
  AddDays(last, a.dayCount);
  CivilDate d{r.year, r.month, r.day, 0};
  return !DateBefore(d, first) && !DateBefore(last, d);
}

// The labels of the file a sync looks at: whole ones on the almanac's days
// (a broken record is neither sent nor touched).
std::vector<Local> LocalLabels(const SyncInput& input) {
  std::vector<Local> locals;
  for (const LabelRun& run : GroupLabels(input.records)) {
    const LabelRecord& first = input.records[run.first];
    if (!InsideAlmanac(first, input.almanac)) continue;
    Local local;
    local.label = LabelOfRecords(&input.records[run.first], run.count);
    local.first = run.first;
    local.count = run.count;
    locals.push_back(std::move(local));
  }
  return locals;
}

// An event's body as tarvina reads it.
struct Remote {
  std::string etag;
  bool fetched = false;
  bool readable = false;
  std::string uid;
  std::vector<SyncLabel> labels;
};

std::string EventUid(const std::string& body) {
  icalerror_set_errors_are_fatal(0);
  icalcomponent* root = icalparser_parse_string(body.c_str());
  if (!root) return {};
  std::string uid;
  icalcomponent* event = icalcomponent_isa(root) == ICAL_VEVENT_COMPONENT
                             ? root
                             : icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT);
  if (event)
    if (const char* text = icalcomponent_get_uid(event)) uid = text;
  icalcomponent_free(root);
  return uid;
}

void ReadBody(const std::string& body, const SyncInput& input, Remote& remote) {
  remote.fetched = true;
  IcsImport imported = ImportIcs(body, input.almanac, input.localFromUtc);
  remote.uid = EventUid(body);
  remote.readable = imported.ok && !remote.uid.empty();
  if (!remote.readable) return;
  for (const LabelRun& run : GroupLabels(imported.records))
    remote.labels.push_back(LabelOfRecords(&imported.records[run.first], run.count));
}

// Unmatched local labels by content, first in the file first.
class Pool {
 public:
  explicit Pool(std::vector<Local>& locals) : locals_(locals) {
    for (size_t i = 0; i < locals.size(); ++i) byHash_[LabelHash(locals[i].label)].insert(i);
  }
  // The first unmatched local label with `label`'s content; -1 for none.
  long Take(const SyncLabel& label) {
    auto it = byHash_.find(LabelHash(label));
    if (it == byHash_.end()) return -1;
    for (size_t i : it->second)
      if (locals_[i].label == label) {
        it->second.erase(i);
        locals_[i].taken = true;
        return long(i);
      }
    return -1;
  }
  void Mark(size_t i) {
    byHash_[LabelHash(locals_[i].label)].erase(i);
    locals_[i].taken = true;
  }
  void PutBack(size_t i) {
    byHash_[LabelHash(locals_[i].label)].insert(i);
    locals_[i].taken = false;
  }
  // Takes all of `labels` or none; the local labels taken go to `mine`.
  bool TakeAll(const std::vector<SyncLabel>& labels, std::vector<size_t>& mine) {
    std::vector<size_t> got;
    for (const SyncLabel& label : labels) {
      long i = Take(label);
      if (i < 0) {
        for (size_t g : got) PutBack(g);
        return false;
      }
      got.push_back(size_t(i));
    }
    mine.insert(mine.end(), got.begin(), got.end());
    return true;
  }

 private:
  std::vector<Local>& locals_;
  std::map<uint64_t, std::set<size_t>> byHash_;
};

enum class OpKind { Create, Replace, Remove };
struct Op {
  OpKind kind;
  std::string href;
  SyncLabel label;  // what a PUT sends
};

struct LocalChange {
  bool replaced = false;  // `with` instead of the label (none: removed)
  std::vector<SyncLabel> with;
  std::vector<SyncLabel> after;  // added right after it
};

struct Plan {
  std::map<size_t, LocalChange> changes;  // by local label
  std::vector<SyncLabel> appended;
  std::vector<Op> ops;
  SyncState next;
};

// What the file gets for an event of the server: `target` in place of the
// local labels `mine`; recorded as pending until the file holds it.
void Download(Plan& plan, const std::vector<Local>& locals, const std::vector<size_t>& mine,
              const std::vector<SyncLabel>& target, SyncEntry& entry, SyncReport& report) {
  entry.pending = true;
  entry.prior.clear();
  for (size_t i : mine) entry.prior.push_back(locals[i].label);
  entry.labels = target;
  if (target.empty())
    report.removedHere += int(mine.size());
  else
    report.down += int(target.size());
  if (mine.empty()) {
    plan.appended.insert(plan.appended.end(), target.begin(), target.end());
    return;
  }
  for (size_t k = 0; k < mine.size(); ++k) {
    LocalChange& change = plan.changes[mine[k]];
    change.replaced = true;
    if (k == 0) change.with = target;
  }
}

LabelFileEdit EditOf(const Plan& plan, const std::vector<Local>& locals, const SyncInput& input) {
  LabelFileEdit edit;
  size_t removed = 0, added = 0;
  for (const auto& [index, change] : plan.changes) {
    const Local& local = locals[index];
    RecordSplice splice;
    splice.first = local.first;
    splice.expected.assign(input.records.begin() + std::ptrdiff_t(local.first),
                           input.records.begin() + std::ptrdiff_t(local.first + local.count));
    std::vector<LabelRecord> put;
    if (!change.replaced) put = splice.expected;
    for (const SyncLabel& label : change.with) {
      auto records = RecordsOfLabel(label, input.almanac);
      put.insert(put.end(), records.begin(), records.end());
    }
    for (const SyncLabel& label : change.after) {
      auto records = RecordsOfLabel(label, input.almanac);
      put.insert(put.end(), records.begin(), records.end());
    }
    removed += splice.expected.size();
    added += put.size();
    splice.put = RecordBytes(put);
    edit.splices.push_back(std::move(splice));
  }
  if (!plan.appended.empty()) {
    std::vector<LabelRecord> put;
    for (const SyncLabel& label : plan.appended) {
      auto records = RecordsOfLabel(label, input.almanac);
      put.insert(put.end(), records.begin(), records.end());
    }
    added += put.size();
    edit.splices.push_back({input.records.size(), {}, RecordBytes(put)});
  }
  if (edit.splices.empty()) return edit;
  // An almanac without labels has no file, as when its last label is removed by hand.
  if (input.records.size() - removed + added == 0) {
    edit.removesFile = true;
    edit.setsTail = true;
  }
  if (!input.fileExists) edit.createsFile = true;
  return edit;
}

bool Refused(int status) {
  return status == 400 || status == 403 || status == 413 || status == 415 || status == 422;
}

// The state less the entries whose events are gone from both sides.
SyncState Without(const SyncState& state, const std::vector<bool>& gone) {
  SyncState kept;
  kept.syncToken = state.syncToken;
  for (size_t i = 0; i < state.entries.size(); ++i)
    if (!gone[i]) kept.entries.push_back(state.entries[i]);
  return kept;
}

// A sync-collection report the server would not give (a token it no longer
// knows, a report it does not offer, an answer that is no whole report):
// the whole listing does instead. No answer at all, a refused login or a
// broken server would fail the listing as well, and are said as they are.
bool ReportRefused(const DavResult& r) {
  if (r.error != NetError::None) return false;
  return r.status == 0 || (r.status >= 400 && r.status < 500 && r.status != 401) || r.status == 501;
}

SyncReport Failure(SyncReport report, const std::string& why) {
  report.ok = false;
  report.failure = why;
  return report;
}

std::string StateFailure(FileError error) {
  return std::string("no se pudo guardar el estado de la sincronización. ") + FileErrorText(error);
}

}  // namespace

std::string NetFailureText(const DavResult& r) {
  switch (r.error) {
    case NetError::None:
      break;
    case NetError::Unreachable:
      return "no se pudo conectar con el servidor.";
    case NetError::Timeout:
      return "el servidor no contestó a tiempo.";
    case NetError::TooLarge:
      return "el servidor mandó una respuesta demasiado grande.";
    case NetError::Cut:
      return "la respuesta del servidor llegó cortada.";
    case NetError::Redirected:
      return "el servidor mandó a otra dirección, y no se sigue.";
    case NetError::Certificate:
      return "no se pudo comprobar la conexión segura (HTTPS) con el servidor: su certificado "
             "no es válido o no se puede verificar, y sin él no se sincroniza.";
    case NetError::BadAddress:
      return "la dirección no es de un servidor (http:// o https://).";
    case NetError::Other:
      return "la respuesta del servidor no es la de un calendario CalDAV.";
  }
  if (r.status == 401) return "el servidor no aceptó el usuario o la contraseña.";
  if (r.status == 403) return "el servidor no deja usar ese calendario.";
  if (r.status == 404) return "el servidor no tiene un calendario en esa dirección.";
  if (r.status >= 500) return "el servidor tuvo un error (" + std::to_string(r.status) + ").";
  if (r.status == 0) return "la respuesta del servidor no es la de un calendario CalDAV.";
  return "el servidor contestó con el error " + std::to_string(r.status) + ".";
}

SyncReport RunSync(CalDavClient& client, const SyncInput& input, const ApplyLocalEdit& apply) {
  SyncReport report;
  try {
    SyncState state;
    FileError error = LoadSyncState(input.statePath, state);
    if (error == FileError::Damaged)
      return Failure(report,
                     "el estado de la sincronización de este almanaque está dañado. "
                     "Quite el enlace y vuelva a enlazarlo.");
    if (error != FileError::None)
      return Failure(report, std::string("no se pudo leer el estado de la sincronización. ") +
                                 FileErrorText(error));

    // What the server holds now: what changed since the last sync's token
    // laid over what the state knows, or else the whole listing.
    std::vector<RemoteEvent> listing;
    std::string token;
    bool listed = false;
    DavResult result;
    if (!state.syncToken.empty()) {
      std::vector<RemoteEvent> changed;
      std::vector<std::string> removed;
      result = client.Changes(state.syncToken, changed, removed, token);
      if (result.ok()) {
        listed = true;
        // An entry without an ETag was never answered for: it is there only
        // if the report says so (it changed after the token).
        std::map<std::string, std::string> now;
        for (const SyncEntry& e : state.entries)
          if (!e.etag.empty()) now[e.href] = e.etag;
        for (const RemoteEvent& event : changed) now[event.href] = event.etag;
        for (const std::string& href : removed) now.erase(href);
        for (const auto& [href, etag] : now) listing.push_back({href, etag});
      } else if (!ReportRefused(result)) {
        return Failure(report, NetFailureText(result));
      }
    }
    if (!listed) {
      // The token first: a change between it and the listing comes again next time.
      token.clear();
      result = client.SyncToken(token);
      if (result.error != NetError::None) return Failure(report, NetFailureText(result));
      result = client.List(listing);
      if (!result.ok()) return Failure(report, NetFailureText(result));
    }
    std::map<std::string, Remote> remote;
    for (const RemoteEvent& event : listing) remote[event.href].etag = event.etag;
    std::map<std::string, size_t> known;
    for (size_t i = 0; i < state.entries.size(); ++i) known[state.entries[i].href] = i;

    // The bodies of what is new or changed there (or whose answer we never had).
    for (auto it = remote.begin(); it != remote.end();) {
      auto k = known.find(it->first);
      if (k != known.end() && !state.entries[k->second].etag.empty() &&
          state.entries[k->second].etag == it->second.etag) {
        ++it;
        continue;
      }
      std::string body, etag;
      result = client.Get(it->first, body, etag);
      if (result.status == 404 && result.error == NetError::None) {  // gone meanwhile
        it = remote.erase(it);
        continue;
      }
      if (!result.ok()) return Failure(report, NetFailureText(result));
      if (!etag.empty()) it->second.etag = etag;
      ReadBody(body, input, it->second);
      ++it;
    }

    // Each entry's labels found again in the file.
    std::vector<Local> locals = LocalLabels(input);
    Pool pool(locals);
    const size_t n = state.entries.size();
    std::vector<std::vector<size_t>> mine(n);
    enum class Resolve { Normal, NotApplied };
    std::vector<Resolve> how(n, Resolve::Normal);
    for (size_t i = 0; i < n; ++i) {
      const SyncEntry& e = state.entries[i];
      if (!e.pending) continue;
      // The file holds what it held before the change, or the change.
      if (!e.prior.empty() && pool.TakeAll(e.prior, mine[i]))
        how[i] = Resolve::NotApplied;
      else if (pool.TakeAll(e.labels, mine[i]))
        how[i] = Resolve::Normal;
      else if (e.prior.empty())
        how[i] = Resolve::NotApplied;
    }
    for (size_t i = 0; i < n; ++i) {
      const SyncEntry& e = state.entries[i];
      if (e.pending) continue;
      for (const SyncLabel& label : e.labels) {
        long at = pool.Take(label);
        if (at >= 0) mine[i].push_back(size_t(at));
      }
    }
    // A new event of the server that a label here already is (the same
    // almanac linked from a second copy): one label, not two.
    std::map<std::string, std::vector<size_t>> adopted;
    for (auto& [href, r] : remote) {
      if (known.count(href) || !r.readable || r.labels.empty()) continue;
      std::vector<size_t> got;
      if (pool.TakeAll(r.labels, got)) adopted[href] = got;
    }
    // A label corrected here: moved (same text and colour), or changed on its day.
    for (size_t i = 0; i < n; ++i) {
      const SyncEntry& e = state.entries[i];
      if (!e.Writable() || !mine[i].empty() || how[i] == Resolve::NotApplied) continue;
      const SyncLabel& base = e.labels[0];
      long best = -1;
      for (size_t j = 0; j < locals.size() && best < 0; ++j)
        if (!locals[j].taken && locals[j].label.lines == base.lines &&
            locals[j].label.color == base.color)
          best = long(j);
      for (size_t j = 0; j < locals.size() && best < 0; ++j)
        if (!locals[j].taken && locals[j].label.SameDay(base)) best = long(j);
      if (best >= 0) {
        pool.Mark(size_t(best));
        mine[i].push_back(size_t(best));
      }
    }

    Plan plan;
    for (size_t i = 0; i < n; ++i) {
      SyncEntry e = state.entries[i];
      e.pending = false;
      e.prior.clear();
      auto r = remote.find(e.href);
      const bool present = r != remote.end();
      const bool unsent = e.etag.empty();
      if (present && r->second.fetched) {
        e.etag = r->second.etag;
        if (r->second.readable) e.unreadable = false;
      }
      const bool changedThere =
          present && r->second.fetched &&
          (!r->second.readable || r->second.labels != state.entries[i].labels);
      if (present && r->second.fetched && !r->second.readable) {
        // Left as it is on both sides; said once.
        if (!state.entries[i].unreadable) ++report.unreadable;
        e.unreadable = true;
        plan.next.entries.push_back(std::move(e));
        continue;
      }
      if (present && r->second.fetched && !r->second.uid.empty()) e.uid = r->second.uid;

      if (how[i] == Resolve::NotApplied) {
        // A change from the server that did not reach the file: again,
        // with what the server holds now.
        if (!present && !unsent) {
          if (!mine[i].empty()) {
            e.etag.clear();  // gone there: no listing of changes will name it again
            Download(plan, locals, mine[i], {}, e, report);
            plan.next.entries.push_back(std::move(e));
          }
          continue;
        }
        Download(plan, locals, mine[i], present && r->second.fetched ? r->second.labels : e.labels,
                 e, report);
        plan.next.entries.push_back(std::move(e));
        continue;
      }

      if (!state.entries[i].Writable()) {
        // Read only here: follows the server.
        if (!present) {
          if (!mine[i].empty()) {
            e.etag.clear();
            Download(plan, locals, mine[i], {}, e, report);
            plan.next.entries.push_back(std::move(e));
          }
          continue;
        }
        if (changedThere) Download(plan, locals, mine[i], r->second.labels, e, report);
        plan.next.entries.push_back(std::move(e));
        continue;
      }

      const SyncLabel& base = state.entries[i].labels[0];
      const bool here = !mine[i].empty();
      const SyncLabel* now = here ? &locals[mine[i][0]].label : nullptr;
      const bool changedHere = here && *now != base;
      if (!here) {
        if (!present) continue;  // gone on both sides (or never sent)
        if (changedThere) {
          Download(plan, locals, {}, r->second.labels, e, report);  // the change wins
          plan.next.entries.push_back(std::move(e));
        } else {
          plan.ops.push_back({OpKind::Remove, e.href, {}});
          plan.next.entries.push_back(std::move(e));
        }
        continue;
      }
      if (!present) {
        if (!unsent && !changedHere) {
          e.etag.clear();
          Download(plan, locals, mine[i], {}, e, report);  // removed there
          plan.next.entries.push_back(std::move(e));
          continue;
        }
        // Never sent, or changed here after the server removed it: the change wins.
        e.etag.clear();
        e.labels = {*now};
        if (e.refused != LabelHash(*now)) plan.ops.push_back({OpKind::Create, e.href, *now});
        plan.next.entries.push_back(std::move(e));
        continue;
      }
      if (!changedThere) {
        // (A label never answered for that the server holds is replaced.)
        if (changedHere && e.refused != LabelHash(*now))
          plan.ops.push_back({OpKind::Replace, e.href, *now});
        plan.next.entries.push_back(std::move(e));
        continue;
      }
      // Changed there.
      const std::vector<SyncLabel>& theirs = r->second.labels;
      if (!changedHere || (theirs.size() == 1 && theirs[0] == *now)) {
        if (changedHere)
          e.labels = theirs;  // both made the same change
        else
          Download(plan, locals, mine[i], theirs, e, report);
        plan.next.entries.push_back(std::move(e));
        continue;
      }
      // Changed on both sides: the server's version beside the label here,
      // and the label here sent as an event of its own.
      ++report.conflicts;
      e.pending = true;
      e.labels = theirs;
      plan.changes[mine[i][0]].after = theirs;
      report.down += int(theirs.size());
      plan.next.entries.push_back(std::move(e));
      SyncEntry mineToo;
      mineToo.uid = input.makeUid();
      mineToo.href = client.collection() + mineToo.uid + ".ics";
      mineToo.labels = {*now};
      plan.ops.push_back({OpKind::Create, mineToo.href, *now});
      plan.next.entries.push_back(std::move(mineToo));
    }
    for (auto& [href, r] : remote) {
      if (known.count(href)) continue;
      SyncEntry e;
      e.href = href;
      e.etag = r.etag;
      e.uid = r.uid;
      if (!r.readable) {
        e.unreadable = true;
        ++report.unreadable;
      } else if (adopted.count(href)) {
        e.labels = r.labels;
      } else {
        Download(plan, locals, {}, r.labels, e, report);
      }
      plan.next.entries.push_back(std::move(e));
    }
    for (Local& local : locals) {
      if (local.taken) continue;
      SyncEntry e;
      e.uid = input.makeUid();
      e.href = client.collection() + e.uid + ".ics";
      e.labels = {local.label};
      plan.ops.push_back({OpKind::Create, e.href, local.label});
      plan.next.entries.push_back(std::move(e));
    }
    plan.next.syncToken = token;

    // Recorded before anything changes: the events about to be sent with
    // their UIDs, and what the file is about to get.
    report.edit = EditOf(plan, locals, input);
    const bool stateChanged = EncodeSyncState(plan.next) != EncodeSyncState(state);
    if (stateChanged && (error = SaveSyncState(input.statePath, plan.next)) != FileError::None)
      return Failure(report, StateFailure(error));
    if (!report.edit.splices.empty()) {
      error = apply(report.edit);
      if (error != FileError::None) {
        report.edit = LabelFileEdit();
        return Failure(report, std::string("no se pudo cambiar el almanaque. ") +
                                   FileErrorText(error) +
                                   " Nada se ha perdido; se volverá a intentar.");
      }
      for (SyncEntry& e : plan.next.entries) {
        e.pending = false;
        e.prior.clear();
      }
      SaveSyncState(input.statePath, plan.next);  // if not, the next sync finds it done
    }

    // Then the server, one request at a time.
    std::map<std::string, size_t> at;
    for (size_t i = 0; i < plan.next.entries.size(); ++i) at[plan.next.entries[i].href] = i;
    std::vector<bool> gone(plan.next.entries.size(), false);
    size_t sinceSave = 0;
    std::string stopped;
    // A token from before this sync's own PUTs does not cover their events:
    // one sent now and removed by another client before the next sync would
    // be named by no report of changes. So the state keeps no token once
    // one went, unless the changes since the token are only this sync's own.
    std::map<std::string, std::string> sent;  // href, the ETag it got
    std::set<std::string> deleted;
    for (const Op& op : plan.ops) {
      const size_t index = at[op.href];
      SyncEntry* e = &plan.next.entries[index];
      if (op.kind == OpKind::Remove) {
        result = client.Delete(e->href, e->etag);
        if (result.ok() || (result.error == NetError::None && result.status == 404)) {
          if (result.ok()) ++report.removedThere;
          deleted.insert(e->href);
          gone[index] = true;
        } else if (result.error == NetError::None && result.status == 412) {
          ++report.raced;
        } else {
          stopped = NetFailureText(result);
          break;
        }
      } else {
        const SyncLabel& label = op.label;
        const std::string body = LabelEventIcs(RecordsOfLabel(label, input.almanac), e->uid,
                                               input.version, input.stampUtc);
        std::string etag;
        if (body.empty()) {
          result = {NetError::None, 400};
        } else {
          result = client.Put(e->href, body, op.kind == OpKind::Create ? "" : e->etag, etag);
        }
        if (result.ok()) {
          ++report.up;
          sent[e->href] = etag;
          plan.next.syncToken.clear();
          e->etag = etag;  // empty when not told: the next sync compares contents
          e->labels = {label};
          e->refused = 0;
        } else if (result.error == NetError::None && result.status == 412) {
          ++report.raced;
        } else if (result.error == NetError::None && Refused(result.status)) {
          ++report.refused;
          e->refused = LabelHash(label);
        } else {
          stopped = NetFailureText(result);
          break;
        }
      }
      if (++sinceSave == kSaveEvery) {
        sinceSave = 0;
        if ((error = SaveSyncState(input.statePath, Without(plan.next, gone))) != FileError::None) {
          stopped = StateFailure(error);
          break;
        }
      }
    }
    if (stopped.empty() && !sent.empty() && !token.empty()) {
      std::vector<RemoteEvent> changed;
      std::vector<std::string> removed;
      std::string after;
      bool ours = client.Changes(token, changed, removed, after).ok();
      for (const RemoteEvent& event : changed) {
        auto it = sent.find(event.href);
        ours = ours && it != sent.end() && !it->second.empty() && it->second == event.etag;
      }
      for (const std::string& href : removed) ours = ours && deleted.count(href);
      if (ours) plan.next.syncToken = after;
    }
    if (stateChanged || !plan.ops.empty()) {
      error = SaveSyncState(input.statePath, Without(plan.next, gone));
      if (error != FileError::None && stopped.empty()) stopped = StateFailure(error);
    }
    if (!stopped.empty()) return Failure(report, stopped);
    report.ok = true;
    return report;
  } catch (const std::bad_alloc&) {
    return Failure(report, FileErrorText(FileError::NoMemory));
  }
}

std::string SyncReportText(const SyncReport& r) {
  std::string text;
  auto count = [](int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  const bool anything = r.up || r.down || r.removedHere || r.removedThere;
  if (r.ok) {
    text = anything
               ? "Sincronización hecha: " + count(r.up, "etiqueta subida", "etiquetas subidas") +
                     ", " + count(r.down, "bajada", "bajadas") + ", " +
                     count(r.removedHere + r.removedThere, "quitada", "quitadas") + "."
               : std::string("Sincronización hecha: no había nada que cambiar.");
  } else {
    text = "No se pudo sincronizar: " + r.failure;
    if (anything)
      text += "\r\nAntes: " + count(r.up, "etiqueta subida", "etiquetas subidas") + ", " +
              count(r.down, "bajada", "bajadas") + ", " +
              count(r.removedHere + r.removedThere, "quitada", "quitadas") + ".";
    text += "\r\nLo que falta se enviará en la próxima sincronización.";
  }
  if (r.conflicts)
    text += "\r\n" + std::to_string(r.conflicts) +
            " etiquetas cambiadas en los dos lados: se guardaron las dos versiones.";
  if (r.refused)
    text += "\r\n" + std::to_string(r.refused) +
            " etiquetas no las admitió el servidor; no se volverán a enviar mientras no cambien.";
  if (r.raced)
    text += "\r\n" + std::to_string(r.raced) +
            " etiquetas cambiaron en el servidor mientras tanto; se verán en la próxima "
            "sincronización.";
  if (r.unreadable)
    text += "\r\n" + std::to_string(r.unreadable) +
            " eventos del servidor no se pudieron leer y se dejaron como estaban.";
  return text;
}
