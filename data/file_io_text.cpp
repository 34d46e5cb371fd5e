#include "file_io.h"

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
    case FileError::Other:
      break;
  }
  return "No se pudo usar el archivo.";
}
