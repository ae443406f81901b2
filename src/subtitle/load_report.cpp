#include "subtitle/load_report.h"

namespace kestrelpix {

void LoadReport::MarkAllTextDrawn(const std::vector<int>& indices) {
  // All three lists ascend: one pass over each.
  size_t drawn = 0, lost = 0, kept = 0;
  for (const int entry : NotDrawn) {
    while (drawn < indices.size() && indices[drawn] < entry) ++drawn;
    while (lost < TextLost.size() && TextLost[lost] < entry) ++lost;
    const bool isDrawn = drawn < indices.size() && indices[drawn] == entry;
    const bool isLost = lost < TextLost.size() && TextLost[lost] == entry;
    if (!isDrawn || isLost) NotDrawn[kept++] = entry;
  }
  NotDrawn.resize(kept);
}

std::vector<std::string> LoadReport::AllNotes() const {
  std::vector<std::string> notes = Notes;
  if (NotDrawn.empty()) return notes;
  const size_t n = NotDrawn.size();
  std::string note = std::to_string(n) +
                     (n == 1 ? " entry holds text after its first two lines"
                             : " entries hold text after their first two lines") +
                     " (a third line, or text after a blank line), which is not drawn: " +
                     (n == 1 ? "entry " : "entries ");
  constexpr size_t kNamed = 5;
  for (size_t i = 0; i < n && i < kNamed; ++i) {
    if (i > 0) note += ", ";
    note += std::to_string(NotDrawn[i]);
  }
  if (n > kNamed) note += " and more";
  notes.push_back(note + ".");
  return notes;
}

}  // namespace kestrelpix
