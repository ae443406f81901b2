#include "render/line_break.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>

#include "render/text_decode.h"
#include "render/text_layout.h"

namespace kestrelpix {

namespace {

// Making a line break iterator loads ICU's rules and dictionaries; each
// thread makes one and keeps it. Null when ICU cannot make one.
icu::BreakIterator* LineIterator() {
  thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> made(
        icu::BreakIterator::createLineInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) made.reset();
    return made;
  }();
  return iterator.get();
}

}  // namespace

std::vector<size_t> LineBreakOffsets(std::string_view bytes, uint8_t charset) {
  std::vector<size_t> offsets;
  bytes = bytes.substr(0, kMaxLaidOutBytes);
  icu::BreakIterator* iterator = LineIterator();
  if (iterator == nullptr || bytes.empty()) return offsets;
  std::vector<uint32_t> starts;
  const std::u32string text = DecodeText(bytes, charset, &starts);
  // ICU reads UTF-16: remember which character each code unit belongs to.
  icu::UnicodeString units;
  std::vector<uint32_t> character_of;
  character_of.reserve(text.size() + 1);
  for (uint32_t i = 0; i < text.size(); ++i) {
    // Characters that are not Unicode scalar values break like U+FFFD.
    const char32_t c =
        text[i] > 0x10FFFF || (text[i] >= 0xD800 && text[i] <= 0xDFFF) ? char32_t{0xFFFD} : text[i];
    units.append(static_cast<UChar32>(c));
    character_of.resize(static_cast<size_t>(units.length()), i);
  }
  iterator->setText(units);
  for (int32_t at = iterator->following(0); at != icu::BreakIterator::DONE && at < units.length();
       at = iterator->next()) {
    const size_t offset = starts[character_of[static_cast<size_t>(at)]];
    // Characters a code page composes from several bytes share their first
    // byte; a break between them is no break of the bytes.
    if (offset > 0 && (offsets.empty() || offset > offsets.back())) offsets.push_back(offset);
  }
  return offsets;
}

}  // namespace kestrelpix
