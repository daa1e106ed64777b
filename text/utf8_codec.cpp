// The program's own UTF-8 codec: one pass, no size query, dropping whatever is not valid.
#include "utf8_codec.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "conversion_buffers.h"

namespace {

constexpr uint32_t kGrowthUnits = 1024;

// Output that starts in a static buffer when allowed and moves to the heap once it outgrows it.
template <typename Unit>
class GrowingText {
 public:
  GrowingText(Unit* static_buffer, uint8_t* in_use, bool allow_static)
      : static_buffer_(static_buffer), in_use_(in_use) {
    if (allow_static && *in_use == 0) {
      *in_use = 1;
      data_ = static_buffer;
      capacity_ = kStaticBufferCapacity;
    }
  }

  // Makes sure `headroom` units are free; on allocation failure releases everything held.
  bool Reserve(uint32_t headroom) {
    if (count_ + headroom <= capacity_) return true;
    const uint32_t grown = capacity_ + kGrowthUnits;
    Unit* block = nullptr;
    if (data_ != nullptr && data_ == static_buffer_) {
      block = static_cast<Unit*>(std::malloc(std::size_t{grown} * sizeof(Unit)));
      if (block != nullptr) std::memcpy(block, data_, std::size_t{count_} * sizeof(Unit));
      // Once the text has left the static buffer, the next conversion may take it.
      *in_use_ = 0;
    } else {
      block = static_cast<Unit*>(std::realloc(data_, std::size_t{grown} * sizeof(Unit)));
      if (block == nullptr) std::free(data_);
    }
    data_ = block;
    capacity_ = grown;
    return block != nullptr;
  }

  void Put(uint32_t unit) { data_[count_++] = static_cast<Unit>(unit); }

  Unit* Finish(uint32_t* out_count) {
    data_[count_] = 0;
    if (out_count != nullptr) *out_count = count_ + 1;
    return data_;
  }

 private:
  Unit* const static_buffer_;
  uint8_t* const in_use_;
  Unit* data_ = nullptr;
  uint32_t capacity_ = 0;
  uint32_t count_ = 0;
};

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}
bool IsLowSurrogate(uint32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

WideChar* DecodeUtf8(const char* text, bool allow_static, uint32_t* out_units) {
  GrowingText<WideChar> out(wide_buffer, &wide_buffer_in_use, allow_static);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  std::size_t i = 0;
  for (;;) {
    // A surrogate pair and the terminator.
    if (!out.Reserve(3)) return nullptr;
    const uint32_t c = bytes[i++];
    if (c == 0) return out.Finish(out_units);
    if (c < 0x80) {
      out.Put(c);
      continue;
    }
    uint32_t trail = 0;
    uint32_t code_point = 0;
    uint32_t lowest = 0;
    if ((c & 0xE0) == 0xC0) {
      trail = 1;
      code_point = c & 0x1F;
      lowest = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      trail = 2;
      code_point = c & 0x0F;
      lowest = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      trail = 3;
      code_point = c & 0x07;
      lowest = 0x10000;
    } else {
      continue;
    }
    // The byte that breaks a sequence is not consumed: it may start the next one.
    uint32_t taken = 0;
    while (taken < trail && IsContinuation(bytes[i])) {
      code_point = (code_point << 6) | (bytes[i++] & 0x3F);
      ++taken;
    }
    if (taken < trail || code_point < lowest) continue;
    if (code_point >= 0xD800 && code_point <= 0xDFFF) continue;
    if (code_point < 0x10000) {
      out.Put(code_point);
      continue;
    }
    const uint32_t v = code_point - 0x10000;
    if (v > 0xFFFFF) continue;
    out.Put(0xD800 + (v >> 10));
    out.Put(0xDC00 + (v & 0x3FF));
  }
}

char* EncodeUtf8(const WideChar* text, bool allow_static, uint32_t* out_bytes) {
  GrowingText<char> out(utf8_buffer, &utf8_buffer_in_use, allow_static);
  std::size_t i = 0;
  for (;;) {
    // A four-byte sequence and the terminator.
    if (!out.Reserve(5)) return nullptr;
    const uint32_t u = static_cast<uint16_t>(text[i++]);
    if (u == 0) return out.Finish(out_bytes);
    if (u < 0x80) {
      out.Put(u);
    } else if (u < 0x800) {
      out.Put(0xC0 | (u >> 6));
      out.Put(0x80 | (u & 0x3F));
    } else if (u < 0xD800 || u > 0xDFFF) {
      out.Put(0xE0 | (u >> 12));
      out.Put(0x80 | ((u >> 6) & 0x3F));
      out.Put(0x80 | (u & 0x3F));
    } else if (u <= 0xDBFF) {
      // An unpaired high surrogate leaves the unit after it to be read on its own.
      const uint32_t w = static_cast<uint16_t>(text[i]);
      if (!IsLowSurrogate(w)) continue;
      ++i;
      const uint32_t code_point = (((u & 0x3FF) << 10) | (w & 0x3FF)) + 0x10000;
      out.Put(0xF0 | (code_point >> 18));
      out.Put(0x80 | ((code_point >> 12) & 0x3F));
      out.Put(0x80 | ((code_point >> 6) & 0x3F));
      out.Put(0x80 | (code_point & 0x3F));
    }
  }
}
