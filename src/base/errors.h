// Typed errors of the core. Their text is the message the user sees; the
// front end decides how to show it (a message box, or stderr and an exit
// status). The core never exits the process and never opens a window.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrelpix {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A number read from a file, a control or a command line that does not
// convert: "'%s' is not a valid integer value" and the like.
class ConvertError : public Error {
 public:
  using Error::Error;
};

// A file that cannot be opened, read or written: "File not found",
// "File access denied" or "I/O error %d".
class FileError : public Error {
 public:
  FileError(std::string text, int code) : Error(std::move(text)), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

ConvertError InvalidInteger(std::string_view text);
ConvertError InvalidFloat(std::string_view text);

// Maps an errno value to the user-facing file error.
FileError FileErrorFromErrno(int err);

// The same error naming the file and what was being done to it:
// 'Cannot write file "/out/film.sub": I/O error 28 (No space left on
// device)'. The numbered "I/O error" texts get the system's description.
FileError FileErrorFor(std::string_view action, const std::string& path, int err);

}  // namespace kestrelpix
