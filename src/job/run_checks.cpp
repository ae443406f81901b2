#include "job/run_checks.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "vobsub/output_names.h"

namespace kestrelpix {

std::string NameTooLongMessage(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    const std::string folder = FolderOf(path);
    const std::string name = path.substr(folder.size());
    errno = 0;
    long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    // A folder that does not answer (missing, say) is left to the create,
    // which names the real fault; 255 is the common limit.
    if (limit <= 0) limit = 255;
    if (name.size() > static_cast<size_t>(limit)) {
      return "Cannot create file \"" + path + "\": its name is " + std::to_string(name.size()) +
             " bytes long, and the file system allows " + std::to_string(limit) +
             ". Rename the subtitle to a shorter name.";
    }
  }
  return "";
}

std::string LongDisplayWarning(const SubtitleDocument& doc) {
  constexpr int64_t kHourMs = 3600000;
  constexpr size_t kNamed = 5;
  int count = 0;
  std::string numbers;
  for (int k = 1; k <= doc.LineCount(); ++k) {
    const SubtitleEntryView line = doc.LineView(k);
    if (line.EndMs - std::max<int64_t>(line.StartMs, 0) <= kHourMs) continue;
    if (static_cast<size_t>(count) < kNamed) numbers += (count ? ", " : "") + std::to_string(k);
    ++count;
  }
  if (count == 0) return "";
  if (static_cast<size_t>(count) > kNamed) numbers += ", …";
  return std::to_string(count) + (count == 1 ? " entry is" : " entries are") +
         " shown for longer than an hour (entry " + numbers +
         "); each is written as one unit per 12 minutes of its display, which makes the output "
         "large. Check the end times.";
}

}  // namespace kestrelpix
