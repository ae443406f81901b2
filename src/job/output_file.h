// A binary output file written through a large buffer. Every failure, on
// create, write or close, throws the user-facing FileError naming the file
// (FileErrorFor).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kestrelpix {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates or truncates the file.
  void Create(const std::string& path);
  void Write(const void* data, size_t size);
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  // Flushes and closes; a failure to flush throws. Closing a closed file
  // does nothing.
  void Close();
  // Closes without reporting errors, after an earlier failure.
  void Abandon();
  // Closes without reporting errors and deletes the file if this object
  // created it (an unfinished output must not pass for a finished one).
  // Returns true when a file was deleted.
  bool Discard();
  bool IsOpen() const { return file_ != nullptr; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;  // set once the file has been created
};

}  // namespace kestrelpix
