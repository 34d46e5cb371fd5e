#include "app/path_util.h"

#include <gtest/gtest.h>

TEST(PathHelpers, FileNameOfPath) {
  EXPECT_EQ(FileNameOfPath("D:\\Datos\\Casa.zanual"), "Casa.zanual");
  EXPECT_EQ(FileNameOfPath("Casa.zanual"), "Casa.zanual");
  EXPECT_EQ(FileNameOfPath("D:\\Datos\\"), "");
  // Windows takes either slash, and so does a name on the command line.
  EXPECT_EQ(FileNameOfPath("D:/Datos/Casa.zanual"), "Casa.zanual");
  EXPECT_EQ(FileNameOfPath("D:\\Datos/2025\\Casa.zanual"), "Casa.zanual");
}

TEST(PathHelpers, StripExtension) {
  EXPECT_EQ(StripExtension("Casa.zanual"), "Casa");
  EXPECT_EQ(StripExtension("Mi.casa.zanual"), "Mi.casa");
  EXPECT_EQ(StripExtension(".zanual"), "");
  EXPECT_EQ(StripExtension("Casa"), "Casa");
  EXPECT_EQ(StripExtension(""), "");
}

TEST(PathHelpers, FolderAndFileParts) {
  EXPECT_EQ(FolderPart("D:\\Datos\\Casa.zanual"), "D:\\Datos\\");
  EXPECT_EQ(FilePart("D:\\Datos\\Casa.zanual"), "Casa.zanual");
  EXPECT_EQ(FolderPart("D:Casa.zanual"), "D:");
  EXPECT_EQ(FilePart("D:Casa.zanual"), "Casa.zanual");
  EXPECT_EQ(FolderPart("Casa.zanual"), "");
  EXPECT_EQ(FolderPart("D:/Datos/Casa.zanual"), "D:/Datos/");
  std::string longPath = "C:\\" + std::string(300, 'a');
  EXPECT_EQ(FolderPart(longPath), "");
  EXPECT_EQ(FilePart(longPath), "");
}

TEST(PathHelpers, TrimBlanks) {
  EXPECT_EQ(TrimBlanks("  C:\\a b\\c.zanual  "), "C:\\a b\\c.zanual");
  EXPECT_EQ(TrimBlanks("    "), "");
  EXPECT_EQ(TrimBlanks("\tx\t"), "\tx\t");  // only blanks are trimmed
}
