#include "render/text_decode.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <vector>

#include "base/charset.h"
#include "subtitle/subtitle_document.h"
#include "subtitle/unicode_text.h"

namespace kestrelpix {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Converters are opened once per code page and kept; iconv keeps shift state
// in them, so each use resets it and holds the lock.
class ConverterCache {
 public:
  ~ConverterCache() {
    for (auto& [name, cd] : converters_) {
      if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
  }

  // `cp` has an iconv name. With `starts`, also the byte offset where each
  // character starts: characters are then converted one at a time.
  std::u32string Decode(std::string_view bytes, const CharsetRow& cp,
                        std::vector<uint32_t>* starts = nullptr) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = converters_.find(cp.IconvName);
    if (it == converters_.end()) {
      it = converters_.emplace(cp.IconvName, iconv_open("UTF-32LE", cp.IconvName)).first;
    }
    iconv_t cd = it->second;
    std::u32string out;
    if (cd == reinterpret_cast<iconv_t>(-1)) {
      // The C library lacks this code page: keep ASCII, mark the rest.
      for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        out += c < 0x80 ? char32_t{c} : kReplacement;
        if (starts != nullptr) starts->push_back(static_cast<uint32_t>(i));
      }
      return out;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.reserve(bytes.size());
    char* in = const_cast<char*>(bytes.data());
    size_t in_left = bytes.size();
    char buffer[256];
    // Room for one character at a time when the offsets are wanted.
    const size_t room = starts != nullptr ? 4 : sizeof buffer;
    const auto offset = [&bytes, &in] { return static_cast<uint32_t>(in - bytes.data()); };
    while (in_left > 0) {
      char* dst = buffer;
      size_t dst_left = room;
      const uint32_t from = offset();
      size_t result = iconv(cd, &in, &in_left, &dst, &dst_left);
      int err = errno;
      AppendUtf32(buffer, dst, out);
      if (starts != nullptr) starts->resize(out.size(), from);
      if (result != static_cast<size_t>(-1) || err == E2BIG) continue;
      // EILSEQ (an undefined byte) or EINVAL (a sequence cut off at the end):
      // one byte becomes one replacement and decoding goes on after it.
      unsigned char bad = static_cast<unsigned char>(*in);
      out += (cp.SingleByte && bad >= 0x80 && bad <= 0x9F) ? char32_t{bad} : kReplacement;
      if (starts != nullptr) starts->push_back(offset());
      ++in;
      --in_left;
    }
    // A stateful converter (CP1255, CP1258) may hold back a base letter
    // while it waits for combining marks; flushing hands it over.
    for (;;) {
      char* dst = buffer;
      size_t dst_left = sizeof buffer;
      size_t result = iconv(cd, nullptr, nullptr, &dst, &dst_left);
      AppendUtf32(buffer, dst, out);
      if (starts != nullptr) starts->resize(out.size(), offset());
      if (result != static_cast<size_t>(-1) || errno != E2BIG) break;
    }
    return out;
  }

 private:
  static void AppendUtf32(const char* begin, const char* end, std::u32string& out) {
    for (const char* p = begin; p + 4 <= end; p += 4) {
      const auto* b = reinterpret_cast<const unsigned char*>(p);
      out += static_cast<char32_t>(b[0] | (b[1] << 8) | (b[2] << 16) |
                                   (static_cast<uint32_t>(b[3]) << 24));
    }
  }

  std::mutex mutex_;
  std::map<std::string, iconv_t> converters_;
};

ConverterCache& Converters() {
  static ConverterCache cache;
  return cache;
}

std::u32string DecodeUtf8(std::string_view bytes, std::vector<uint32_t>* starts) {
  std::u32string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    char32_t cp = 0;
    size_t len = DecodeUtf8At(bytes, i, cp);
    out += len ? cp : kReplacement;
    if (starts != nullptr) starts->push_back(static_cast<uint32_t>(i));
    i += len ? len : 1;
  }
  return out;
}

// One byte a character, for code pages whose every byte is a character.
void EveryByteStarts(std::string_view bytes, std::vector<uint32_t>* starts) {
  if (starts == nullptr) return;
  for (size_t i = 0; i < bytes.size(); ++i) starts->push_back(static_cast<uint32_t>(i));
}

}  // namespace

uint8_t CharsetForText(uint8_t chosen, const SubtitleDocument* doc) {
  if (doc == nullptr) return chosen;
  constexpr uint8_t kDefault = CharsetCode(CharsetId::kDefault);
  if (doc->Report.TextIsUtf8) return kDefault;
  return chosen == kDefault ? doc->Report.DetectedCharset : chosen;
}

std::u32string DecodeText(std::string_view bytes, uint8_t charset) {
  return DecodeText(bytes, charset, nullptr);
}

std::u32string DecodeText(std::string_view bytes, uint8_t charset, std::vector<uint32_t>* starts) {
  if (starts != nullptr) starts->clear();
  if (charset == CharsetCode(CharsetId::kSymbol)) {
    std::u32string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) out += static_cast<char32_t>(0xF000 + c);
    EveryByteStarts(bytes, starts);
    return out;
  }
  const CharsetRow* cp = FindCharset(charset);
  if (cp == nullptr || cp->IconvName == nullptr) {
    // DEFAULT, and any code outside the table, is the system code page.
    bool ascii = true;
    for (unsigned char c : bytes) ascii = ascii && c < 0x80;
    if (ascii) {
      EveryByteStarts(bytes, starts);
      return std::u32string(bytes.begin(), bytes.end());
    }
    if (IsValidUtf8(bytes)) return DecodeUtf8(bytes, starts);
    cp = FindCharset(CharsetCode(CharsetId::kAnsi));
  }
  return Converters().Decode(bytes, *cp, starts);
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) AppendUtf8(out, c);
  return out;
}

std::string SystemTextToUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return EncodeUtf8(DecodeText(bytes, 0));
}

}  // namespace kestrelpix
