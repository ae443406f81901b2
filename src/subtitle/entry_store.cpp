#include "subtitle/entry_store.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace kestrelpix {

namespace {

size_t LengthBytes(size_t n) {
  size_t bytes = 1;
  while (n >= 0x80) n >>= 7, ++bytes;
  return bytes;
}

char* PutLength(char* out, size_t n) {
  while (n >= 0x80) {
    *out++ = static_cast<char>(0x80 | (n & 0x7F));
    n >>= 7;
  }
  *out++ = static_cast<char>(n);
  return out;
}

void AppendLength(std::string& out, size_t n) {
  char buffer[10];
  out.append(buffer, PutLength(buffer, n) - buffer);
}

// Reads a length written by PutLength at `at`, which moves past it.
size_t TakeLength(const char*& at) {
  size_t n = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(*at++);
    n |= static_cast<size_t>(byte & 0x7F) << shift;
    if (byte < 0x80) return n;
  }
}

// A time as an unsigned number that is small for small times of either sign.
uint64_t ZigZag(int64_t v) {
  return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63);
}

int64_t UnZigZag(uint64_t u) { return static_cast<int64_t>(u >> 1) ^ -static_cast<int64_t>(u & 1); }

size_t PlaceCode(const Placement& place) {
  return static_cast<size_t>(place.Align & 0x0F) +
         16 * static_cast<size_t>(std::max<int>(place.MarginV, -1) + 1);
}

Placement PlaceOfCode(size_t code) {
  return {static_cast<uint8_t>(code & 0x0F), static_cast<int16_t>(static_cast<int>(code >> 4) - 1)};
}

}  // namespace

void KeptLines::Add(std::string_view line) {
  if (lost_ || bytes_ + line.size() + 1 > kMaxKeptLineBytes) {
    lost_ = true;
    return;
  }
  AppendLength(packed_, line.size());
  packed_.append(line);
  bytes_ += line.size() + 1;
  ++count_;
}

void EntryStore::NewBlock(size_t size) {
  // Not value-initialized: the pages are taken when the entries are written.
  std::unique_ptr<char[]> block(new char[size]);
  blocks_.push_back(std::move(block));
}

void EntryStore::Add(SubtitleEntry fields, const KeptLines& kept) {
  std::string* parts[] = {&fields.Text1, &fields.Text2, &fields.Text3};
  const size_t times[] = {ZigZag(fields.StartMs), ZigZag(fields.EndMs)};
  const size_t place = PlaceCode(fields.Place);
  // A field's place: its length times two, or the number of a long field
  // times two plus one.
  size_t places[3];
  size_t size = LengthBytes(times[0]) + LengthBytes(times[1]) + LengthBytes(place) +
                LengthBytes(kept.count_) +
                kept.packed_.size();
  for (int f = 0; f < 3; ++f) {
    std::string& part = *parts[f];
    if (part.size() >= kLongField) {
      places[f] = longFields_.size() * 2 + 1;
      longFields_.push_back(std::move(part));
      part.clear();
    } else {
      places[f] = part.size() * 2;
    }
    size += LengthBytes(places[f]) + part.size();
  }
  size_t block, offset;
  if (size > kBlockBytes) {
    NewBlock(size);
    block = blocks_.size() - 1;
    offset = 0;
  } else {
    if (openUsed_ + size > kBlockBytes) {
      NewBlock(kBlockBytes);
      open_ = blocks_.size() - 1;
      openUsed_ = 0;
    }
    block = open_;
    offset = openUsed_;
    openUsed_ += size;
  }
  char* out = blocks_[block].get() + offset;
  out = PutLength(out, times[0]);
  out = PutLength(out, times[1]);
  out = PutLength(out, place);
  for (int f = 0; f < 3; ++f) {
    out = PutLength(out, places[f]);
    if (!parts[f]->empty()) std::memcpy(out, parts[f]->data(), parts[f]->size());
    out += parts[f]->size();
  }
  out = PutLength(out, kept.count_);
  if (!kept.packed_.empty()) std::memcpy(out, kept.packed_.data(), kept.packed_.size());
  positions_.push_back(static_cast<uint64_t>(block) << 32 | offset);
}

std::string_view EntryStore::TakeField(const char*& at) const {
  const size_t place = TakeLength(at);
  if (place % 2 == 1) return longFields_[place / 2];
  const std::string_view field(at, place / 2);
  at += place / 2;
  return field;
}

const char* EntryStore::Start(size_t k) const {
  if (k >= positions_.size()) throw std::out_of_range("no such entry");
  const uint64_t position = positions_[k];
  return blocks_[position >> 32].get() + (position & 0xFFFFFFFF);
}

SubtitleEntryView EntryStore::Line(size_t k) const {
  const char* at = Start(k);
  SubtitleEntryView entry;
  entry.StartMs = UnZigZag(TakeLength(at));
  entry.EndMs = UnZigZag(TakeLength(at));
  entry.Place = PlaceOfCode(TakeLength(at));
  for (std::string_view* field : {&entry.Text1, &entry.Text2, &entry.Text3}) {
    *field = TakeField(at);
  }
  return entry;
}

std::vector<std::string_view> EntryStore::Kept(size_t k) const {
  const char* at = Start(k);
  TakeLength(at);  // the two times and the place
  TakeLength(at);
  TakeLength(at);
  for (int field = 0; field < 3; ++field) TakeField(at);
  std::vector<std::string_view> lines(TakeLength(at));
  for (std::string_view& line : lines) {
    const size_t n = TakeLength(at);
    line = std::string_view(at, n);
    at += n;
  }
  return lines;
}

void EntryStore::Truncate(size_t n) {
  if (n < positions_.size()) positions_.resize(n);
}

void EntryStore::Clear() {
  positions_.clear();
  blocks_.clear();
  longFields_.clear();
  openUsed_ = kBlockBytes;
}

}  // namespace kestrelpix
