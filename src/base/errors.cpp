#include "base/errors.h"

#include <cerrno>

namespace kestrelpix {

ConvertError InvalidInteger(std::string_view text) {
  return ConvertError("'" + std::string(text) + "' is not a valid integer value");
}

ConvertError InvalidFloat(std::string_view text) {
  return ConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

FileError FileErrorFromErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return FileError("File not found", err);
    case EACCES:
    case EPERM:
    case EROFS:
      return FileError("File access denied", err);
    default:
      return FileError("I/O error " + std::to_string(err), err);
  }
}

}  // namespace kestrelpix
