// A binary output file written through a large buffer. Every failure, on
// write or on close, throws the user-facing FileError.
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
  bool IsOpen() const { return file_ != nullptr; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
};

}  // namespace kestrelpix
