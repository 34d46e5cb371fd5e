// The name check and the path helpers on any bytes: the first byte says
// where the folder ends and the name begins.
#include <cstring>

#include "app/command_line.h"
#include "app/path_util.h"
#include "data/utf8.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool IsSuffix(const std::string& part, const std::string& whole) {
  return part.size() <= whole.size() &&
         whole.compare(whole.size() - part.size(), part.size(), part) == 0;
}

bool IsPrefix(const std::string& part, const std::string& whole) {
  return whole.compare(0, part.size(), part) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string all(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t cut = data[0] % (all.size() + 1);
  const std::string folder = all.substr(0, cut), name = all.substr(cut);

  // UTF-16 length: additive over whole characters, never more than the bytes.
  FUZZ_CHECK(Utf16Length(all) <= all.size());
  const std::string head = CutUtf8(all, cut);
  FUZZ_CHECK(head.size() <= cut && IsPrefix(head, all));
  if (IsUtf8(all)) {
    FUZZ_CHECK(IsUtf8(head));
    FUZZ_CHECK(Utf16Length(head) + Utf16Length(all.substr(head.size())) == Utf16Length(all));
  }

  NameCheck check = CheckAlmanacName(name, folder);
  if (check == NameCheck::Ok) {
    FUZZ_CHECK(!name.empty() && IsUtf8(name));
    for (unsigned char c : name) FUZZ_CHECK(c >= 32 && !std::strchr("\\/:*?\"<>|", c));
    FUZZ_CHECK(Utf16Length(folder) + Utf16Length(name) + 7 <= 259);
    // A shorter name of whole characters fits as well.
    std::string shorter = CutUtf8(name, name.size() - 1);
    if (!shorter.empty() && CheckAlmanacName(shorter, folder) == NameCheck::TooLong)
      FUZZ_CHECK(false);
  }
  FUZZ_CHECK(name.empty() == (check == NameCheck::Empty));

  // The path helpers: parts of the path, never more.
  const std::string file = FileNameOfPath(all);
  FUZZ_CHECK(IsSuffix(file, all) && file.find('\\') == std::string::npos);
  FUZZ_CHECK(IsPrefix(StripExtension(file), file));
  if (Utf16Length(all) <= 260)
    FUZZ_CHECK(FolderPart(all) + FilePart(all) == all);
  else
    FUZZ_CHECK(FolderPart(all).empty() && FilePart(all).empty());
  const std::string trimmed = TrimBlanks(all);
  FUZZ_CHECK(all.find(trimmed) != std::string::npos);
  FUZZ_CHECK(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));
  FUZZ_CHECK(IsSuffix(ArgumentText(all), all));
  FUZZ_CHECK(WithoutQuotes(all).find('"') == std::string::npos);
  return 0;
}
