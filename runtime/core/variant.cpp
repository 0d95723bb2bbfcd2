#include "runtime/core/variant.h"

#include <cstdint>
#include <limits>

#include "runtime/core/runtime_error.h"

namespace rt {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Whole decimal number with optional sign and surrounding blanks; throws
// TypeMismatch for anything else and Overflow past the 16-bit range.
std::int16_t ParseInteger(const std::wstring& text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  const std::size_t firstDigit = i;
  std::int64_t magnitude = 0;
  bool tooLarge = false;
  for (; i < n && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - L'0');
    if (magnitude > 100000) tooLarge = true, magnitude = 100000;
  }
  if (i == firstDigit) throw RuntimeError(ErrorNumber::TypeMismatch, "Variant to Integer");
  while (i < n && IsBlank(text[i])) ++i;
  if (i != n) throw RuntimeError(ErrorNumber::TypeMismatch, "Variant to Integer");
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (tooLarge || value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    throw RuntimeError(ErrorNumber::Overflow, "Variant to Integer");
  }
  return static_cast<std::int16_t>(value);
}

}  // namespace

std::int16_t Variant::ToInteger() const {
  struct Converter {
    std::int16_t operator()(Empty) const { return 0; }
    std::int16_t operator()(Missing) const {
      throw RuntimeError(ErrorNumber::TypeMismatch, "Variant to Integer");
    }
    std::int16_t operator()(std::int16_t v) const { return v; }
    std::int16_t operator()(std::int32_t v) const {
      if (v < std::numeric_limits<std::int16_t>::min() ||
          v > std::numeric_limits<std::int16_t>::max()) {
        throw RuntimeError(ErrorNumber::Overflow, "Variant to Integer");
      }
      return static_cast<std::int16_t>(v);
    }
    std::int16_t operator()(const std::wstring& s) const { return ParseInteger(s); }
  };
  return std::visit(Converter{}, value_);
}

std::wstring IntegerToText(std::int16_t value) { return std::to_wstring(value); }

}  // namespace rt
