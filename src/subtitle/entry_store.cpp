#include "subtitle/entry_store.h"

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

std::string_view TakeField(const char*& at) {
  const size_t n = TakeLength(at);
  const std::string_view field(at, n);
  at += n;
  return field;
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

void EntryStore::Add(const SubtitleLineView& fields, const KeptLines& kept) {
  const std::string_view parts[] = {fields.StartTime, fields.EndTime, fields.Text1, fields.Text2,
                                    fields.Text3};
  size_t size = LengthBytes(kept.count_) + kept.packed_.size();
  for (std::string_view part : parts) size += LengthBytes(part.size()) + part.size();
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
  for (std::string_view part : parts) {
    out = PutLength(out, part.size());
    if (!part.empty()) std::memcpy(out, part.data(), part.size());
    out += part.size();
  }
  out = PutLength(out, kept.count_);
  if (!kept.packed_.empty()) std::memcpy(out, kept.packed_.data(), kept.packed_.size());
  positions_.push_back(static_cast<uint64_t>(block) << 32 | offset);
}

const char* EntryStore::Start(size_t k) const {
  if (k >= positions_.size()) throw std::out_of_range("no such entry");
  const uint64_t position = positions_[k];
  return blocks_[position >> 32].get() + (position & 0xFFFFFFFF);
}

SubtitleLineView EntryStore::Line(size_t k) const {
  const char* at = Start(k);
  SubtitleLineView line;
  for (std::string_view* field :
       {&line.StartTime, &line.EndTime, &line.Text1, &line.Text2, &line.Text3}) {
    *field = TakeField(at);
  }
  return line;
}

std::vector<std::string_view> EntryStore::Kept(size_t k) const {
  const char* at = Start(k);
  for (int field = 0; field < 5; ++field) TakeField(at);
  std::vector<std::string_view> lines(TakeLength(at));
  for (std::string_view& line : lines) line = TakeField(at);
  return lines;
}

void EntryStore::Truncate(size_t n) {
  if (n < positions_.size()) positions_.resize(n);
}

void EntryStore::Clear() {
  positions_.clear();
  blocks_.clear();
  openUsed_ = kBlockBytes;
}

}  // namespace kestrelpix
