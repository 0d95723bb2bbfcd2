#include "runtime/core/variant.h"

#include <gtest/gtest.h>

#include "runtime/core/runtime_error.h"

namespace rt {
namespace {

TEST(VariantToInteger, ConvertsValuesThatFit) {
  struct Case {
    const char* what;
    Variant value;
    std::int16_t expected;
  };
  const Case cases[] = {
      {"empty", Variant(), 0},
      {"integer", Variant::Integer(-7), -7},
      {"long in range", Variant::Long(32767), 32767},
      {"long at minimum", Variant::Long(-32768), -32768},
      {"text digits", Variant::Text(L"42"), 42},
      {"text with blanks and sign", Variant::Text(L"  -305 "), -305},
      {"text with plus", Variant::Text(L"+12"), 12},
      {"text at maximum", Variant::Text(L"32767"), 32767},
      {"text with leading zeros", Variant::Text(L"000000000000000000000009"), 9},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.value.ToInteger(), c.expected) << c.what;
  }
}

TEST(VariantToInteger, RaisesForValuesThatDoNotConvert) {
  struct Case {
    const char* what;
    Variant value;
    ErrorNumber expected;
  };
  const Case cases[] = {
      {"long above range", Variant::Long(32768), ErrorNumber::Overflow},
      {"long below range", Variant::Long(-32769), ErrorNumber::Overflow},
      {"text above range", Variant::Text(L"40000"), ErrorNumber::Overflow},
      {"text far above range", Variant::Text(L"99999999999999999999999"), ErrorNumber::Overflow},
      {"text below range", Variant::Text(L"-32769"), ErrorNumber::Overflow},
      {"empty text", Variant::Text(L""), ErrorNumber::TypeMismatch},
      {"blank text", Variant::Text(L"   "), ErrorNumber::TypeMismatch},
      {"letters", Variant::Text(L"abc"), ErrorNumber::TypeMismatch},
      {"digits then letters", Variant::Text(L"12a"), ErrorNumber::TypeMismatch},
      {"sign alone", Variant::Text(L"-"), ErrorNumber::TypeMismatch},
      {"inner blank", Variant::Text(L"1 2"), ErrorNumber::TypeMismatch},
      {"missing argument", Variant::MissingArgument(), ErrorNumber::TypeMismatch},
  };
  for (const Case& c : cases) {
    try {
      (void)c.value.ToInteger();
      ADD_FAILURE() << c.what << ": converted without error";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.number(), c.expected) << c.what;
    }
  }
}

TEST(IntegerToText, GivesPlainDecimal) {
  EXPECT_EQ(IntegerToText(0), L"0");
  EXPECT_EQ(IntegerToText(-32768), L"-32768");
  EXPECT_EQ(IntegerToText(Variant::Text(L" 17 ").ToInteger()), L"17");
}

}  // namespace
}  // namespace rt
