// The tagged value in which arguments and results cross a dispatch call to a
// component, and in which omitted optional arguments are passed.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace rt {

class Variant {
 public:
  struct Empty {};
  struct Missing {};

  Variant() = default;  // empty
  static Variant MissingArgument() { return Variant(Missing{}); }
  static Variant Integer(std::int16_t value) { return Variant(value); }
  static Variant Long(std::int32_t value) { return Variant(value); }
  static Variant Text(std::wstring value) { return Variant(std::move(value)); }

  bool isEmpty() const { return std::holds_alternative<Empty>(value_); }
  bool isMissing() const { return std::holds_alternative<Missing>(value_); }
  bool isText() const { return std::holds_alternative<std::wstring>(value_); }
  // Precondition: isText().
  const std::wstring& text() const { return std::get<std::wstring>(value_); }

  // Converts to a signed 16-bit integer: empty gives 0, integers must fit,
  // text must hold a whole decimal number (surrounding blanks allowed).
  // Throws RuntimeError Overflow for a value that does not fit and
  // TypeMismatch for text or a kind that is not a number.
  std::int16_t ToInteger() const;

 private:
  using Value = std::variant<Empty, Missing, std::int16_t, std::int32_t, std::wstring>;
  template <class T>
  explicit Variant(T value) : value_(std::move(value)) {}

  Value value_;
};

// Decimal text of a 16-bit integer, as the runtime's integer-to-string
// conversion gives it ("-5", "0", "32767").
std::wstring IntegerToText(std::int16_t value);

}  // namespace rt
