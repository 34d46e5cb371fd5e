// What both file backends share: the messages, the retry of a busy file,
// and the failure points tests can arm.
#include "file_io.h"

#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

const char* FileErrorText(FileError error) {
  switch (error) {
    case FileError::None:
      return "";
    case FileError::NotFound:
      return "El archivo no existe.";
    case FileError::PathNotFound:
      return "La carpeta del archivo no existe.";
    case FileError::InUse:
      return "El archivo está abierto en otro programa.";
    case FileError::AccessDenied:
      return "No hay permiso para escribir en el archivo o en su carpeta.";
    case FileError::DiskFull:
      return "El disco está lleno.";
    case FileError::BadName:
      return "El nombre no vale para un archivo.";
    case FileError::Damaged:
      return "El archivo está dañado: no describe un almanaque válido.";
    case FileError::TooLarge:
      return "El archivo es demasiado grande: un almanaque guarda como mucho 1.000.000 de "
             "líneas de etiqueta (142 MB).";
    case FileError::OtherAlmanac:
      return "El archivo guarda otro almanaque del mismo nombre, con otras fechas (quizás lo "
             "creó otra copia de tarvina abierta a la vez).";
    case FileError::NoMemory:
      return "No hay memoria suficiente.";
    case FileError::Changed:
      return "Otro programa ha cambiado el archivo desde que se abrió. Cierre tarvina y vuelva "
             "a abrir el almanaque.";
    case FileError::Exists:
      return "Ya hay un archivo con ese nombre.";
    case FileError::Other:
      break;
  }
  return "No se pudo usar el archivo.";
}

namespace {

constexpr auto kRetryFor = std::chrono::milliseconds(1000);
constexpr auto kRetryPause = std::chrono::milliseconds(50);

struct FaultTable {
  std::array<int, size_t(FileOp::kCount)> counts{};
  std::vector<std::pair<FileOp, int>> armed;  // kind and the number that fails
  std::vector<FileError> errors;
  std::pair<FileOp, int> crash{FileOp::kCount, 0};  // where the program stops dead
  bool crashed = false;
};
FaultTable gFaults;

}  // namespace

void FailFileOperation(FileOp op, int nth, FileError error) {
  gFaults.armed.emplace_back(op, gFaults.counts[size_t(op)] + nth);
  gFaults.errors.push_back(error);
}

void CrashAtFileOperation(FileOp op, int nth) {
  gFaults.crash = {op, gFaults.counts[size_t(op)] + nth};
}

void ResetFileFaults() { gFaults = FaultTable(); }

int FileOperationCount(FileOp op) { return gFaults.counts[size_t(op)]; }

bool FileFaultAt(FileOp op, FileError& error) {
  int number = ++gFaults.counts[size_t(op)];
  if (gFaults.crashed || gFaults.crash == std::make_pair(op, number)) {
    gFaults.crashed = true;
    error = FileError::Other;
    return true;
  }
  for (size_t i = 0; i < gFaults.armed.size(); ++i) {
    if (gFaults.armed[i] == std::make_pair(op, number)) {
      error = gFaults.errors[i];
      return true;
    }
  }
  return false;
}

namespace {

constexpr char kScratchHead[] = "tarvina-";
constexpr char kScratchEnd[] = ".tmp";
// Names tried before giving up: each one another file took.
constexpr int kScratchTries = 100;
std::atomic<unsigned> gScratchCount{0};

}  // namespace

FileError OpenScratchBeside(const std::string& path, ExclusiveFile& file, std::string& scratch) {
  const size_t slash = path.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  FileError error = FileError::Exists;
  for (int i = 0; i < kScratchTries && error == FileError::Exists; ++i) {
    scratch = folder + kScratchHead + std::to_string(ProcessNumber()) + "-" +
              std::to_string(++gScratchCount) + kScratchEnd;
    error = file.OpenNew(scratch);
  }
  if (error != FileError::None) scratch.clear();
  return error;
}

FileError ReplaceFileWhole(const std::string& path, const std::string& bytes) {
  std::string scratch;
  FileError error;
  {
    ExclusiveFile file;
    error = OpenScratchBeside(path, file, scratch);
    if (error != FileError::None) return error;
    error = file.WriteAt(0, bytes.data(), bytes.size());
    // On the disk before anyone is told it is written.
    if (error == FileError::None) error = file.Flush();
    const FileError closed = file.Close();
    if (error == FileError::None) error = closed;
  }
  if (error == FileError::None) error = PutFileInPlace(scratch, path);
  if (error != FileError::None) RemoveFile(scratch);
  return error;
}

bool IsScratchName(const std::string& fileName) {
  const size_t head = sizeof kScratchHead - 1, end = sizeof kScratchEnd - 1;
  if (fileName.size() < head + end + 3 || fileName.compare(0, head, kScratchHead) != 0 ||
      fileName.compare(fileName.size() - end, end, kScratchEnd) != 0)
    return false;
  const std::string middle = fileName.substr(head, fileName.size() - head - end);
  const size_t dash = middle.find('-');
  if (dash == 0 || dash == std::string::npos || dash + 1 == middle.size()) return false;
  for (size_t i = 0; i < middle.size(); ++i)
    if (i != dash && (middle[i] < '0' || middle[i] > '9')) return false;
  return true;
}

FileError RetryWhileInUse(const std::function<FileError()>& open) {
  const auto started = std::chrono::steady_clock::now();
  for (;;) {
    FileError error = open();
    if (error != FileError::InUse || std::chrono::steady_clock::now() - started >= kRetryFor)
      return error;
    std::this_thread::sleep_for(kRetryPause);
  }
}
