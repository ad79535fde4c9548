#include <gtest/gtest.h>

#include <clocale>
#include <cwctype>

#include "util/utf8.h"

namespace ombrel {
namespace {

// The folding table against the C library's, over the scripts it claims,
// and the property a search relies on: a folded character keeps its length.
TEST(Utf8FoldCase, AgreesWithTheCLibraryAndKeepsEveryLength) {
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  const auto length = [](char32_t cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : 3; };
  for (char32_t cp = 0; cp < 0x800; ++cp) {
    const char32_t folded = utf8::FoldCase(cp);
    ASSERT_EQ(length(folded), length(cp)) << std::hex << static_cast<uint32_t>(cp);
    ASSERT_EQ(utf8::FoldCase(folded), folded) << std::hex << static_cast<uint32_t>(cp);
    const bool claimed = cp < 0x80 || (cp >= 0xC0 && cp < 0x180) || (cp >= 0x370 && cp < 0x3D0) ||
                         (cp >= 0x400 && cp < 0x500);
    const auto lower = static_cast<char32_t>(std::towlower(static_cast<wint_t>(cp)));
    if (!claimed || cp == 0x3C2) continue;  // final sigma folds as sigma, though it is small
    if (length(lower) == length(cp)) EXPECT_EQ(folded, lower) << std::hex << static_cast<uint32_t>(cp);
    else EXPECT_EQ(folded, cp) << std::hex << static_cast<uint32_t>(cp);
  }
  std::setlocale(LC_CTYPE, "C");
  EXPECT_EQ(utf8::FoldCase(std::string("ÀÉ\xff\xc3X東")), "àé\xff\xc3x東");
}

}  // namespace
}  // namespace ombrel
