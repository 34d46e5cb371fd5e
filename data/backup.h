// Copies of an almanac's label file, made before the first change of a run
// (the program's own undo ends with the run; these do not), in a folder of
// the user's. The newest copies of each almanac are kept, the older deleted.
#pragma once
#include <string>

#include "file_io.h"

constexpr int kKeptBackups = 20;

// Local time, to the second: it names a copy.
struct BackupTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Almanacs of the same name in different folders (2025\Clase.zanual,
// 2026\Clase.zanual) have copies of their own: a copy's name carries a tag
// of eight hexadecimal digits made from the whole path of the almanac's
// file (letters in either case and either slash count as the same path).
std::string BackupTag(const std::string& path);

// "<name> [<tag>] yyyy-mm-dd hh.mm.ss.zanual"; from `number` 2 on, " (2)"
// and so on before the extension, for a second copy within the same second.
std::string BackupName(const std::string& name, const std::string& tag, const BackupTime& when,
                       int number = 1);

// Copies the label file at `path` into `folder` (ending with its separator;
// made when missing) as a copy of the almanac `name` made at `when`, and
// waits until the copy is on the disk; then deletes the oldest copies of
// that almanac's file beyond kKeptBackups, by the times in their names,
// never the copy just made (a clock set back makes it the oldest). A name
// too long for the copy's path to fit in MAX_PATH is cut in the copy's
// name. Copies named before copies had tags are left alone. `made` gets the
// copy's path. A copy that cannot be made whole is removed and the reason
// returned. A copy too many that cannot be deleted stays (the next copy
// tries again).
FileError BackUpLabelFile(const std::string& path, const std::string& name,
                          const std::string& folder, const BackupTime& when,
                          std::string* made = nullptr);
