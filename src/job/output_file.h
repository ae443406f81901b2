// An output file written under a temporary name beside its final name and
// renamed into place when it is complete. Nothing at the final name is
// opened or written: a link there is replaced, never followed, and an
// earlier file of that name stays as it was until the rename. Every failure,
// on create, write, close or rename, throws the user-facing FileError naming
// the final file (FileErrorFor).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrelpix {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates a new temporary file (exclusively: a name that exists, a link
  // among them, is never opened) in the folder of path, to become path.
  void Create(const std::string& path);
  void Write(const void* data, size_t size);
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  // Flushes and closes; a failure to flush throws. Closing a closed file
  // does nothing. The file keeps its temporary name until Commit.
  void Close();
  // Closes without reporting errors and deletes the temporary file; the
  // final name is not touched. Returns true when a file was deleted.
  bool Discard();

  // Closes the files and renames each over its final name, in order. The
  // renames of the outputs of one folder are made under a lock on the
  // folder, so two runs writing the same names each leave a complete set
  // (the later one's).
  static void Commit(const std::vector<OutputFile*>& files);

  // Refuses, with the message a failed create gives, a final name held by
  // something that is neither a regular file nor a link (a folder, a FIFO,
  // a socket, a device): the rename would replace it.
  static void CheckReplaceable(const std::string& path);

 private:
  std::FILE* file_ = nullptr;
  std::unique_ptr<char[]> buffer_;  // the stream's, freed after it is closed
  std::string path_;                // the final name
  std::string tempPath_;            // set while a temporary file exists
};

}  // namespace kestrelpix
