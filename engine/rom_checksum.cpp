#include "rom_checksum.h"

#include <cstring>

#include "header_by_contents.h"
#include "header_probe.h"
#include "rom_file.h"

namespace {

constexpr uint32_t kSumChunk = 0x8000;
constexpr uint64_t kSizeRounding = 0x2000;  // Snes9x pads the loaded ROM to 8 KiB with zeros
constexpr uint8_t kBlankPair[4] = {0xFF, 0xFF, 0x00, 0x00};
constexpr uint32_t kTitleAndMapMode = kMapModeField + 1;

uint8_t sum_buffer[kSumChunk];

struct SumSource {
  uint32_t header_base;
  uint32_t data_length;
  const uint32_t* headers;
  uint32_t header_count;
};

// Plain sum of `length` bytes from ROM offset `start`; bytes past the data count as zeros.
uint16_t SumRange(const SumSource& source, uint64_t start, uint64_t length) {
  uint32_t sum = 0;
  for (uint64_t at = start; at < start + length; at += kSumChunk) {
    std::memset(sum_buffer, 0, kSumChunk);
    if (at < source.data_length) {
      const uint64_t left = source.data_length - at;
      const uint32_t count = left < kSumChunk ? static_cast<uint32_t>(left) : kSumChunk;
      const uint32_t offset = source.header_base + static_cast<uint32_t>(at);
      ReadRomBytes(offset, sum_buffer, count);
      for (uint32_t h = 0; h < source.header_count; ++h) {
        for (uint32_t i = 0; i < sizeof(kBlankPair); ++i) {
          const uint32_t byte = source.headers[h] + kComplementField + i;
          if (byte >= offset && byte - offset < count) sum_buffer[byte - offset] = kBlankPair[i];
        }
      }
    }
    const uint64_t left = start + length - at;
    const uint32_t count = left < kSumChunk ? static_cast<uint32_t>(left) : kSumChunk;
    for (uint32_t i = 0; i < count; ++i) sum += sum_buffer[i];
  }
  return static_cast<uint16_t>(sum);
}

// The largest power of two that fits counts once; the rest, summed the same way, is repeated
// until it fills that power of two. `*length` becomes the length the sum stands for.
uint16_t MirroredSum(const SumSource& source, uint64_t start, uint64_t* length) {
  if (*length == 0) return 0;
  uint64_t part = 1;
  while (part * 2 <= *length) part *= 2;
  uint16_t sum = SumRange(source, start, part);
  uint64_t rest = *length - part;
  if (rest == 0) return sum;
  uint16_t rest_sum = MirroredSum(source, start + part, &rest);
  for (; rest < part; rest *= 2) rest_sum = static_cast<uint16_t>(rest_sum * 2);
  *length = part * 2;
  return static_cast<uint16_t>(sum + rest_sum);
}

}  // namespace

uint32_t FindChecksumHeaders(uint32_t file_length, uint32_t headers[2]) {
  const uint32_t base = HeaderBase(file_length);
  uint32_t header = FindInternalHeader(base);
  if (header == 0) header = FindHeaderByContents(file_length);
  if (header == 0) return 0;
  headers[0] = header;
  const bool high = header - base >= kHeaderCopyDistance;
  const uint32_t copy = high ? header - kHeaderCopyDistance : header + kHeaderCopyDistance;
  if (RomDataLength(file_length) <= kHeaderCopyDistance ||
      copy + kChecksumField + 2 > file_length) {
    return 1;
  }
  uint8_t fields[kTitleAndMapMode] = {};
  uint8_t copy_fields[kTitleAndMapMode] = {};
  ReadRomBytes(header, fields, kTitleAndMapMode);
  ReadRomBytes(copy, copy_fields, kTitleAndMapMode);
  if (std::memcmp(fields, copy_fields, kTitleAndMapMode) != 0) return 1;
  headers[1] = copy;
  return 2;
}

uint16_t ComputeRomChecksum(uint32_t file_length, const uint32_t* headers, uint32_t count) {
  const SumSource source = {HeaderBase(file_length), RomDataLength(file_length), headers, count};
  uint64_t length = (source.data_length + kSizeRounding - 1) / kSizeRounding * kSizeRounding;
  if (length % kBankSize != 0) return SumRange(source, 0, source.data_length);
  return MirroredSum(source, 0, &length);
}

bool ChecksumPairsHold(const uint32_t* headers, uint32_t count, uint16_t checksum) {
  for (uint32_t h = 0; h < count; ++h) {
    if (ReadRomWord(headers[h] + kChecksumField) != checksum ||
        ReadRomWord(headers[h] + kComplementField) != static_cast<uint16_t>(~checksum)) {
      return false;
    }
  }
  return true;
}
