#include "tests/win/win_test_util.h"

#include <winternl.h>

#include "app/message_box.h"

namespace {

// One entry of the GDI handle table, by handle index (x64 layout).
struct GdiHandleEntry {
  uint64_t kernelObject;
  uint16_t processId;  // 0 under Wine, whose table is the process's own
  uint16_t count;
  uint16_t upper;
  uint8_t type;  // 0: a free entry
  uint8_t flags;
  uint64_t userObject;
};
static_assert(sizeof(GdiHandleEntry) == 24, "the table's entry layout");
constexpr size_t kPebGdiHandleTable = 0xF8;  // PEB.GdiSharedHandleTable on x64
constexpr size_t kGdiHandleCount = 0x10000;

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}
BOOL CALLBACK CountWithChildren(HWND window, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  EnumChildWindows(window, CountChild, count);
  return TRUE;
}

const uint8_t* ProcessPeb() {
  using Query = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION info = {};
  if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr))
    return nullptr;
  return reinterpret_cast<const uint8_t*>(info.PebBaseAddress);
}

}  // namespace

int CountGdiObjects() {
  if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return int(n);
  const uint8_t* peb = ProcessPeb();
  const auto* table =
      peb ? *reinterpret_cast<const GdiHandleEntry* const*>(peb + kPebGdiHandleTable) : nullptr;
  if (!table) return -1;
  const uint16_t me = uint16_t(GetCurrentProcessId());
  int count = 0;
  for (size_t i = 0; i < kGdiHandleCount; ++i)
    if (table[i].type && (table[i].processId == 0 || table[i].processId == me)) ++count;
  return count;
}

int CountUserObjects() {
  if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) return int(n);
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWithChildren, reinterpret_cast<LPARAM>(&count));
  for (HWND w = nullptr; (w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr));) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    if (process == GetCurrentProcessId()) CountWithChildren(w, reinterpret_cast<LPARAM>(&count));
  }
  // User handles are even numbers from 0x20 to 0xFFEE.
  for (ULONG_PTR handle = 0x20; handle <= 0xFFEE; handle += 2)
    if (IsMenu(reinterpret_cast<HMENU>(handle))) ++count;
  return count;
}

std::vector<std::string>& ObservedMessages() {
  static std::vector<std::string> messages;
  return messages;
}

void ObserveMessages() {
  ObservedMessages().clear();
  SetMessageObserver([](const std::wstring& shown) {
    // In the program's own code page, as the tests' texts are written.
    int n = WideCharToMultiByte(1252, 0, shown.c_str(), int(shown.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string text(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
      WideCharToMultiByte(1252, 0, shown.c_str(), int(shown.size()), &text[0], n, nullptr, nullptr);
    ObservedMessages().push_back(text);
  });
}
