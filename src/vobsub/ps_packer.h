// The sub stream writer: cuts one sub-picture unit into MPEG-2 program
// stream packs of 2048 bytes, carried as private stream 1, sub-stream 0x20.
// The .sub file is nothing but these packs, unit after unit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "vobsub/byte_writer.h"

namespace kestrelpix {

constexpr int kPackSize = 2048;
constexpr int kPackHeaderSize = 14;
// PES header bytes of the first pack of a unit (with the time stamp and the
// sub-stream id) and of every later pack.
constexpr int kFirstPesHeaderSize = 15;
constexpr int kLaterPesHeaderSize = 10;
// Unit bytes one pack carries: 2019 in the first pack, 2024 in later ones.
constexpr int kFirstPackPayload = kPackSize - kPackHeaderSize - kFirstPesHeaderSize;
constexpr int kLaterPackPayload = kPackSize - kPackHeaderSize - kLaterPesHeaderSize;
// Sub-stream ids of the subtitle streams: 0x20 for the first (the only one
// of a single-language pair), 0x20 + i for stream i, up to 32 streams.
constexpr uint8_t kSubStreamId = 0x20;
constexpr int kMaxSubStreams = 32;

// The number of packs a unit of `unitSize` bytes takes: 1 up to 2019 bytes,
// then one more for every further 2024 bytes or part of them. Not limited:
// a unit takes as many packs as it needs.
int PackCountFor(size_t unitSize);

// The 90 kHz presentation time stamp of a start time in milliseconds,
// rounded to the nearest integer (halves to even), as 33 bits. A negative or
// non-numeric time gives 0; times past the 33-bit range wrap, as the clock
// of the stream does.
uint64_t PtsFromMs(double StartTime);

// The five PTS bytes: '0010', PTS[32..30], marker, PTS[29..15], marker,
// PTS[14..0], marker.
void WritePts(ByteWriter& out, uint64_t pts);

// The pack header, the same 14 bytes in every pack.
void WritePackHeader(ByteWriter& out);

// Appends the P packs of one unit to `out` (P x 2048 bytes) and returns P.
// The first pack carries the time stamp of StartTime (milliseconds); every
// PES packet carries `subStreamId` (0x20 to 0x3F).
int PackSubpicture(std::span<const uint8_t> unit, double StartTime, std::vector<uint8_t>& out,
                   uint8_t subStreamId = kSubStreamId);

}  // namespace kestrelpix
