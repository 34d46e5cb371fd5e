// The folder where new almanacs keep their label files: the program's own
// folder, with its trailing backslash. One place, so tests can point it elsewhere.
#pragma once
#include <string>

const std::string& ProgramFolder();
void SetProgramFolder(const std::string& folder);
