#include "base/errors.h"

#include <cerrno>
#include <cstring>

#include "base/excerpt.h"

namespace kestrelpix {

namespace {

// The text comes from a file or a command line and may be a whole line of
// megabytes: only its start is quoted.
std::string Quoted(std::string_view text, std::string_view tail) {
  std::string message;
  message.push_back('\'');
  message.append(Excerpt(text.substr(0, kExcerptBytes)));
  message.push_back('\'');
  message.append(tail);
  return message;
}

}  // namespace

ConvertError InvalidInteger(std::string_view text) {
  return ConvertError(Quoted(text, " is not a valid integer value"));
}

ConvertError InvalidFloat(std::string_view text) {
  return ConvertError(Quoted(text, " is not a valid floating point value"));
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

FileError FileErrorFor(std::string_view action, const std::string& path, int err) {
  const FileError plain = FileErrorFromErrno(err);
  std::string text = "Cannot ";
  text.append(action);
  text += " file \"" + path + "\": " + plain.what();
  if (std::string_view(plain.what()).starts_with("I/O error")) {
    text += std::string(" (") + std::strerror(err) + ")";
  }
  return FileError(text, err);
}

}  // namespace kestrelpix
