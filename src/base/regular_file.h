// Reading a whole file whose name someone else chose (the settings file, a
// picture the settings file names): it must be a regular file of bounded
// size, and nothing else at that name may block or flood the program.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrelpix {

// Reads the file at `path` (a link is followed) whole. The name is checked
// before it is opened, so a device is never opened; the open does not wait
// (a FIFO does not block), and the open file is checked again. At most
// `limit` bytes are read, also from a file that grows meanwhile. `kind`
// names the file in the message about its size ("a settings file").
// `info`, when given, receives the open file's status.
// Throws FileError: 'Cannot open file "P": File not found' (code ENOENT),
// '...: it is a folder' (EISDIR), '...: it is not a regular file (a FIFO, a
// socket or a device)' (EINVAL), 'Cannot read file "P": it is larger than
// 1 MiB, too large for a settings file' (EFBIG), or a read error.
std::string ReadRegularFile(const std::string& path, size_t limit, std::string_view kind,
                            struct stat* info = nullptr);

// "1 MiB", "64 MiB": a limit as the messages name it (whole MiB, or bytes).
std::string SizeLimitText(size_t limit);

}  // namespace kestrelpix
