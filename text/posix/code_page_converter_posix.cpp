// Stand-ins for MultiByteToWideChar and WideCharToMultiByte with flags 0 where Windows has none.
// Code page 65001 replaces what it cannot convert with U+FFFD as Windows does, where the program's
// own codec drops it; the code page 0 stand-in is Latin-1, with '?' for what Latin-1 lacks.
#include <cstddef>

#include "code_page_converter.h"

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// Counts every unit produced and stores those that fit; a capacity of 0 only counts.
template <typename Unit>
class Output {
 public:
  Output(Unit* out, uint32_t capacity) : out_(out), capacity_(capacity) {}

  void Put(uint32_t unit) {
    if (count_ < capacity_) out_[count_] = static_cast<Unit>(unit);
    ++count_;
  }

  uint32_t Result() const { return capacity_ == 0 || count_ <= capacity_ ? count_ : 0; }

 private:
  Unit* const out_;
  const uint32_t capacity_;
  uint32_t count_ = 0;
};

// The bounds of the second byte tell overlong forms, surrogates and code points above U+10FFFF
// apart at once, so every ill-formed stretch is one maximal subpart and one U+FFFD.
bool SequenceStart(uint32_t lead, uint32_t* length, uint32_t* low, uint32_t* high) {
  *low = 0x80;
  *high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    *length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    *length = 3;
    if (lead == 0xE0) *low = 0xA0;
    if (lead == 0xED) *high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    *length = 4;
    if (lead == 0xF0) *low = 0x90;
    if (lead == 0xF4) *high = 0x8F;
  } else {
    return false;
  }
  return true;
}

void PutWide(Output<WideChar>& out, uint32_t code_point) {
  if (code_point < 0x10000) {
    out.Put(code_point);
    return;
  }
  const uint32_t v = code_point - 0x10000;
  out.Put(0xD800 + (v >> 10));
  out.Put(0xDC00 + (v & 0x3FF));
}

void Utf8ToWide(const unsigned char* bytes, Output<WideChar>& out) {
  std::size_t i = 0;
  for (;;) {
    const uint32_t lead = bytes[i++];
    if (lead < 0x80) {
      out.Put(lead);
      if (lead == 0) return;
      continue;
    }
    uint32_t length = 0;
    uint32_t low = 0;
    uint32_t high = 0;
    if (!SequenceStart(lead, &length, &low, &high)) {
      out.Put(kReplacement);
      continue;
    }
    uint32_t code_point = lead & (0x7F >> length);
    uint32_t taken = 1;
    for (; taken < length; ++taken) {
      const uint32_t b = bytes[i];
      if (b < low || b > high) break;
      code_point = (code_point << 6) | (b & 0x3F);
      low = 0x80;
      high = 0xBF;
      ++i;
    }
    PutWide(out, taken == length ? code_point : kReplacement);
  }
}

void WideToUtf8(const WideChar* text, Output<char>& out) {
  std::size_t i = 0;
  for (;;) {
    uint32_t code_point = static_cast<uint16_t>(text[i++]);
    if (code_point >= 0xD800 && code_point <= 0xDFFF) {
      const uint32_t next = static_cast<uint16_t>(text[i]);
      if (code_point <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
        code_point = (((code_point & 0x3FF) << 10) | (next & 0x3FF)) + 0x10000;
        ++i;
      } else {
        code_point = kReplacement;
      }
    }
    if (code_point < 0x80) {
      out.Put(code_point);
      if (code_point == 0) return;
    } else if (code_point < 0x800) {
      out.Put(0xC0 | (code_point >> 6));
      out.Put(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
      out.Put(0xE0 | (code_point >> 12));
      out.Put(0x80 | ((code_point >> 6) & 0x3F));
      out.Put(0x80 | (code_point & 0x3F));
    } else {
      out.Put(0xF0 | (code_point >> 18));
      out.Put(0x80 | ((code_point >> 12) & 0x3F));
      out.Put(0x80 | ((code_point >> 6) & 0x3F));
      out.Put(0x80 | (code_point & 0x3F));
    }
  }
}

bool ValidRequest(const void* text, const void* out, uint32_t capacity) {
  return text != nullptr && (out != nullptr || capacity == 0);
}

}  // namespace

uint32_t MultiByteToWide(uint32_t code_page, const char* text, WideChar* out, uint32_t capacity) {
  if (!ValidRequest(text, out, capacity)) return 0;
  Output<WideChar> result(out, capacity);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  if (code_page == kCodePageUtf8) {
    Utf8ToWide(bytes, result);
  } else if (code_page == kCodePageAnsi) {
    std::size_t i = 0;
    do {
      result.Put(bytes[i]);
    } while (bytes[i++] != 0);
  } else {
    return 0;
  }
  return result.Result();
}

uint32_t WideToMultiByte(uint32_t code_page, const WideChar* text, char* out, uint32_t capacity) {
  if (!ValidRequest(text, out, capacity)) return 0;
  Output<char> result(out, capacity);
  if (code_page == kCodePageUtf8) {
    WideToUtf8(text, result);
  } else if (code_page == kCodePageAnsi) {
    std::size_t i = 0;
    do {
      const uint32_t unit = static_cast<uint16_t>(text[i]);
      result.Put(unit <= 0xFF ? unit : '?');
    } while (text[i++] != 0);
  } else {
    return 0;
  }
  return result.Result();
}
