#include "program_folder.h"

namespace {
std::string gProgramFolder;
}

const std::string& ProgramFolder() { return gProgramFolder; }

void SetProgramFolder(const std::string& folder) { gProgramFolder = folder; }
