// The .zanual association in the test prefix's registry: what is written,
// where it is looked up, and when the user is told.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"
#include "app/file_association.h"
#include "app/message_box.h"
#include "tests/win/win_test_util.h"

namespace {

const char kWord[] = "zanualprueba";  // a test extension, so the real one is not touched
const char kExt[] = ".zanualprueba";

std::string ReadDefault(HKEY root, const std::string& path) {
  char data[2048] = {};
  LONG size = sizeof data;
  if (RegQueryValueA(root, path.c_str(), data, &size) != ERROR_SUCCESS) return "<none>";
  return data;
}

void SetDefault(HKEY root, const std::string& path, const std::string& data) {
  ASSERT_EQ(RegSetValueA(root, path.c_str(), REG_SZ, data.c_str(), DWORD(data.size())),
            ERROR_SUCCESS);
}

void DeleteTree(HKEY root, const std::string& path) { RegDeleteTreeA(root, path.c_str()); }

std::string ProgramPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

class AssociationTest : public ::testing::Test {
 protected:
  void Clean() {
    for (const char* cls : {"Software\\Classes\\.zanualprueba", "Software\\Classes\\zanualprueba-files",
                            "Software\\Classes\\otraprueba-files"})
      DeleteTree(HKEY_CURRENT_USER, cls);
    for (const char* cls : {".zanualprueba", "zanualprueba-files", "otraprueba-files"})
      DeleteTree(HKEY_CLASSES_ROOT, cls);
  }
  void SetUp() override { Clean(); }
  void TearDown() override {
    Clean();
    SetMessageObserver(nullptr);
  }
};

TEST(DoubleBackslashes, DoublesEveryBackslash) {
  EXPECT_EQ(DoubleBackslashes("C:\\Mis cosas\\prog.exe"), "C:\\\\Mis cosas\\\\prog.exe");
  EXPECT_EQ(DoubleBackslashes("\\\\server\\x\\"), "\\\\\\\\server\\\\x\\\\");
  EXPECT_EQ(DoubleBackslashes("sin barras"), "sin barras");
  EXPECT_EQ(DoubleBackslashes(""), "");
}

TEST_F(AssociationTest, WriteRegistryTextTrimsThePathAndReportsFailure) {
  EXPECT_EQ(WriteRegistryText(nullptr, "\\\\Software\\Classes\\.zanualprueba\\", "", "uno"), 1)
      << "root 0 is the current user";
  EXPECT_EQ(ReadDefault(HKEY_CURRENT_USER, "Software\\Classes\\.zanualprueba"), "uno");
  EXPECT_EQ(WriteRegistryText(HKEY_CURRENT_USER, "Software\\Classes\\.zanualprueba", "Otro", "dos"), 1);
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Classes\\.zanualprueba", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  char data[16] = {};
  DWORD size = sizeof data, type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Otro", nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_STREQ(data, "dos");
  EXPECT_EQ(size, 4u) << "stored with its terminating zero";
  EXPECT_EQ(WriteRegistryText(reinterpret_cast<HKEY>(0x5a5a5a), "x", "", "y"), 0)
      << "a root that is no key";
}

TEST_F(AssociationTest, RegisterWritesThreeValuesPerUserAndReadsBack) {
  ObserveMessages();
  EXPECT_TRUE(QueryOpenCommand(kExt).empty());
  EXPECT_TRUE(RegisterFileType(kWord, 1));
  EXPECT_TRUE(ObservedMessages().empty());
  std::string doubled = DoubleBackslashes(ProgramPath());
  EXPECT_EQ(ReadDefault(HKEY_CURRENT_USER, "Software\\Classes\\.zanualprueba"), "zanualprueba-files");
  EXPECT_EQ(ReadDefault(HKEY_CURRENT_USER, "Software\\Classes\\zanualprueba-files\\DefaultIcon"),
            doubled + ",1");
  EXPECT_EQ(ReadDefault(HKEY_CURRENT_USER, "Software\\Classes\\zanualprueba-files\\Shell\\Open\\Command"),
            "\"" + doubled + "\" \"%1\"");
  EXPECT_EQ(ReadDefault(HKEY_CLASSES_ROOT, kExt), "<none>") << "nothing machine-wide";
  EXPECT_EQ(QueryOpenCommand(kExt), "\"" + doubled + "\" \"%1\"");
}

TEST_F(AssociationTest, AWordWithADotIsRefused) {
  ObserveMessages();
  EXPECT_FALSE(RegisterFileType("zanual.prueba", 1));
  ASSERT_EQ(ObservedMessages().size(), 1u);
  EXPECT_EQ(ObservedMessages()[0], "Error : Extension se pone sin punto ...");
  EXPECT_EQ(ReadDefault(HKEY_CURRENT_USER, "Software\\Classes\\.zanual.prueba"), "<none>");
}

TEST_F(AssociationTest, QueryLooksAtTheUserFirstThenTheMachine) {
  // Machine only.
  SetDefault(HKEY_CLASSES_ROOT, kExt, "otraprueba-files");
  SetDefault(HKEY_CLASSES_ROOT, "otraprueba-files\\shell\\open\\command", "maquina.exe %1");
  EXPECT_EQ(QueryOpenCommand(kExt), "maquina.exe %1");
  // The user's class wins over the machine's.
  SetDefault(HKEY_CURRENT_USER, "Software\\Classes\\otraprueba-files\\shell\\open\\command",
             "usuario.exe %1");
  EXPECT_EQ(QueryOpenCommand(kExt), "usuario.exe %1");
  // So does the user's extension key.
  SetDefault(HKEY_CURRENT_USER, "Software\\Classes\\.zanualprueba", "zanualprueba-files");
  EXPECT_TRUE(QueryOpenCommand(kExt).empty()) << "the user's class has no command";
  SetDefault(HKEY_CLASSES_ROOT, "zanualprueba-files\\Shell\\Open\\Command", "  propia.exe %1  ");
  EXPECT_EQ(QueryOpenCommand(kExt), "propia.exe %1") << "the machine's class of the same name, trimmed";
}

TEST_F(AssociationTest, QueryTrimsExpandsAndTakesLongValues) {
  SetDefault(HKEY_CURRENT_USER, "Software\\Classes\\.zanualprueba", "zanualprueba-files");
  const std::string command = "Software\\Classes\\zanualprueba-files\\shell\\open\\command";
  SetDefault(HKEY_CURRENT_USER, command, "     ");
  EXPECT_TRUE(QueryOpenCommand(kExt).empty()) << "all blanks counts as missing";

  char windir[MAX_PATH] = {};
  GetEnvironmentVariableA("SystemRoot", windir, MAX_PATH);
  SetDefault(HKEY_CURRENT_USER, command, "%SystemRoot%\\prog.exe %1");
  EXPECT_EQ(QueryOpenCommand(kExt), std::string(windir) + "\\prog.exe %1");

  std::string longCommand = "\"C:\\" + std::string(600, 'x') + "\\prog.exe\" \"%1\"";
  SetDefault(HKEY_CURRENT_USER, command, longCommand);
  EXPECT_EQ(QueryOpenCommand(kExt), longCommand);

  std::string longClass(150, 'c');
  SetDefault(HKEY_CURRENT_USER, "Software\\Classes\\.zanualprueba", longClass);
  SetDefault(HKEY_CURRENT_USER, "Software\\Classes\\" + longClass + "\\shell\\open\\command",
             "largo.exe %1");
  EXPECT_EQ(QueryOpenCommand(kExt), "largo.exe %1") << "a long class name is not cut";
  DeleteTree(HKEY_CURRENT_USER, "Software\\Classes\\" + longClass);
}

TEST_F(AssociationTest, StartUpRegistersOnceAndLeavesOthersAlone) {
  // The real extension: saved and restored around the test.
  DeleteTree(HKEY_CURRENT_USER, "Software\\Classes\\.zanual");
  DeleteTree(HKEY_CURRENT_USER, "Software\\Classes\\zanual-files");
  DeleteTree(HKEY_CLASSES_ROOT, ".zanual");
  DeleteTree(HKEY_CLASSES_ROOT, "zanual-files");
  ObserveMessages();
  EnsureFileAssociation();
  ASSERT_EQ(ObservedMessages().size(), 1u);
  EXPECT_EQ(ObservedMessages()[0],
            ".zanual Registrado ...\r\nsi sale más este mensaje, dale compatibilidad XP SP 2 ...");
  EXPECT_FALSE(QueryOpenCommand(".zanual").empty());
  EnsureFileAssociation();
  EXPECT_EQ(ObservedMessages().size(), 1u) << "the second start says nothing";

  SetDefault(HKEY_CURRENT_USER, "Software\\Classes\\.zanual", "otraprueba-files");
  SetDefault(HKEY_CURRENT_USER, "Software\\Classes\\otraprueba-files\\shell\\open\\command",
             "otro.exe %1");
  EnsureFileAssociation();
  EXPECT_EQ(ObservedMessages().size(), 1u);
  EXPECT_EQ(ReadDefault(HKEY_CURRENT_USER, "Software\\Classes\\.zanual"), "otraprueba-files");
  DeleteTree(HKEY_CURRENT_USER, "Software\\Classes\\.zanual");
  DeleteTree(HKEY_CURRENT_USER, "Software\\Classes\\zanual-files");
}

TEST(ProgramOfCommand, TheProgramAnAssociationStarts) {
  const char* const cases[][2] = {
      {"\"C:\\\\Mis cosas\\\\tarvina.exe\" \"%1\"", "C:\\Mis cosas\\tarvina.exe"},
      {"C:\\\\Mis cosas\\\\prog.exe %1", "C:\\Mis cosas\\prog.exe"},
      {"C:\\Prog\\TARVINA.EXE %1", "C:\\Prog\\TARVINA.EXE"},
      {"\\\\\\\\servidor\\\\datos\\\\tarvina.exe %1", "\\\\servidor\\datos\\tarvina.exe"},
      {"\\\\servidor\\datos\\tarvina.exe %1", "\\\\servidor\\datos\\tarvina.exe"},
      {"  otro %1", "otro"},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgramOfCommand(c[0]), c[1]) << c[0];
}

TEST_F(AssociationTest, AnAssociationToAMovedCopyIsRepaired) {
  const std::string command = "Software\\Classes\\zanual-files\\Shell\\Open\\Command";
  DeleteTree(HKEY_CLASSES_ROOT, ".zanual");
  DeleteTree(HKEY_CLASSES_ROOT, "zanual-files");
  SetDefault(HKEY_CURRENT_USER, "Software\\Classes\\.zanual", "zanual-files");
  // Another copy that still exists is left alone.
  TempFolder other;
  std::string otherCopy = other.path() + "tarvina.exe";
  CloseHandle(CreateFileA(otherCopy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  SetDefault(HKEY_CURRENT_USER, command, "\"" + DoubleBackslashes(otherCopy) + "\" \"%1\"");
  ObserveMessages();
  EnsureFileAssociation();
  EXPECT_TRUE(ObservedMessages().empty());
  EXPECT_EQ(ProgramOfCommand(QueryOpenCommand(".zanual")), otherCopy);
  // The first start was from a folder that is gone: the running copy takes over.
  SetDefault(HKEY_CURRENT_USER, command, "\"C:\\\\Temporal\\\\Movido\\\\tarvina.exe\" \"%1\"");
  EnsureFileAssociation();
  ASSERT_EQ(ObservedMessages().size(), 1u);
  EXPECT_EQ(ObservedMessages()[0].substr(0, 22), ".zanual Registrado ...");
  EXPECT_EQ(ProgramOfCommand(QueryOpenCommand(".zanual")), ProgramPath());
  DeleteTree(HKEY_CURRENT_USER, "Software\\Classes\\.zanual");
  DeleteTree(HKEY_CURRENT_USER, "Software\\Classes\\zanual-files");
}

TEST(CommandLine, TheTextAfterTheProgramName) {
  EXPECT_EQ(ArgumentText("\"C:\\Mis cosas\\tarvina.exe\" D:\\Datos\\Casa.zanual"),
            "D:\\Datos\\Casa.zanual");
  EXPECT_EQ(ArgumentText("tarvina.exe   \"D:\\Mis datos\\Casa.zanual\" "),
            "\"D:\\Mis datos\\Casa.zanual\" ");
  EXPECT_EQ(ArgumentText("C:\\prog\\tarvina.exe D:\\Mis datos\\Casa.zanual"),
            "D:\\Mis datos\\Casa.zanual");
  EXPECT_EQ(ArgumentText("\"C:\\Mis cosas\\tarvina.exe\""), "");
  EXPECT_EQ(ArgumentText("tarvina.exe"), "");
  EXPECT_EQ(ArgumentText("tarvina.exe \t "), "");
  EXPECT_EQ(ArgumentText(""), "");
  EXPECT_EQ(WithoutQuotes("\"D:\\Mis datos\\Casa.zanual\""), "D:\\Mis datos\\Casa.zanual");
  EXPECT_EQ(WithoutQuotes("a\"b\"\"c"), "abc");
}

}  // namespace
