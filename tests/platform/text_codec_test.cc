#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <string>

#include "core/error.h"
#include "testing/test_support.h"

namespace pharmex::platform {
namespace {

// The Russian alphabet in order (Ё after Е, ё after е), then №.
const std::string kUtf8 = "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя№";
const std::u16string kUtf16 =
    u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя№";

// The same letters as bytes of a code page, from the pages' published
// layouts: `capitals` and `small` are where А and а start; small letters of
// 866 after п continue at `small_rest`.
std::string alphabet(int capitals, int small, int small_rest, int yo, int small_yo, int number) {
  std::string out;
  for (int i = 0; i < 32; ++i) {
    out.push_back(static_cast<char>(capitals + i));
    if (i == 5) out.push_back(static_cast<char>(yo));
  }
  for (int i = 0; i < 32; ++i) {
    out.push_back(static_cast<char>(i < 16 ? small + i : small_rest + i - 16));
    if (i == 5) out.push_back(static_cast<char>(small_yo));
  }
  out.push_back(static_cast<char>(number));
  return out;
}

const std::string kAnsi = alphabet(0xC0, 0xE0, 0xF0, 0xA8, 0xB8, 0xB9);
const std::string kOem = alphabet(0x80, 0xA0, 0xE0, 0xF0, 0xF1, 0xFC);

TEST(TextCodecTest, EveryCyrillicLetterConvertsEveryWay) {
  TextCodec codec(1251, 866);
  EXPECT_EQ(codec.ansi_to_oem(kAnsi), kOem);
  EXPECT_EQ(codec.oem_to_ansi(kOem), kAnsi);
  EXPECT_EQ(codec.ansi_to_utf16(kAnsi), kUtf16);
  EXPECT_EQ(codec.utf16_to_ansi(kUtf16), kAnsi);
  EXPECT_EQ(codec.ansi_to_utf8(kAnsi), kUtf8);
  EXPECT_EQ(codec.utf8_to_ansi(kUtf8), kAnsi);
  EXPECT_EQ(utf8_to_utf16(kUtf8), kUtf16);
  EXPECT_EQ(utf16_to_utf8(kUtf16), kUtf8);
  for (size_t i = 0; i < kOem.size(); ++i) {
    EXPECT_EQ(codec.oem().to_unicode(static_cast<unsigned char>(kOem[i])), kUtf16[i]) << i;
    EXPECT_EQ(codec.oem_to_ansi(kOem[i]), kAnsi[i]) << i;
  }
  std::string in_place = kAnsi;
  codec.ansi_to_oem_inplace(in_place);
  EXPECT_EQ(in_place, kOem);
  codec.oem_to_ansi_inplace(in_place);
  EXPECT_EQ(in_place, kAnsi);
}

TEST(TextCodecTest, SomeLettersInUtf8Bytes) {
  TextCodec codec;
  EXPECT_EQ(codec.ansi_to_utf8("\xC0\xFF\xA8\xB8\xB9"),
            "\xD0\x90\xD1\x8F\xD0\x81\xD1\x91\xE2\x84\x96");
}

TEST(TextCodecTest, EveryByteOfEachPageComesBackFromUnicode) {
  for (int number : {437, 850, 852, 866, 1250, 1251, 1252}) {
    const CodePage* page = CodePage::find(number);
    ASSERT_NE(page, nullptr) << number;
    for (int byte = 0; byte < 256; ++byte) {
      auto b = static_cast<unsigned char>(byte);
      EXPECT_EQ(page->from_unicode(page->to_unicode(b)), b) << number << " byte " << byte;
    }
  }
  EXPECT_EQ(CodePage::find(1253), nullptr);
}

TEST(TextCodecTest, UpperCasesEveryCyrillicSmallLetterOf1251) {
  TextCodec codec;
  std::string small = kAnsi.substr(33, 33);
  std::string capital = kAnsi.substr(0, 33);
  EXPECT_EQ(codec.upper_ansi(small), capital);
  EXPECT_EQ(codec.upper_ansi(capital), capital);
  // Ukrainian and Belarusian letters: і ї є ґ ў, and ђ ѓ љ њ ќ ћ џ ј ѕ.
  EXPECT_EQ(codec.upper_ansi("\xB3\xBF\xBA\xB4\xA2\x90\x83\x9A\x9C\x9D\x9E\x9F\xBC\xBE"),
            "\xB2\xAF\xAA\xA5\xA1\x80\x81\x8A\x8C\x8D\x8E\x8F\xA3\xBD");
  EXPECT_EQ(codec.upper_ansi("abc xyz 09 \xB9 \xB5"), "ABC XYZ 09 \xB9 \xB5");
  EXPECT_EQ(codec.oem().to_upper(0xF1), 0xF0);  // ё in 866
  EXPECT_EQ(codec.oem().to_upper(0xEF), 0x9F);  // я in 866
}

TEST(TextCodecTest, CharactersAPageLacksBecomeSubstitutes) {
  TextCodec codec;
  // 1251 has « » “ ” ‘ ’ – — €; 866 has none of them.
  EXPECT_EQ(codec.ansi_to_oem("\xAB\xBB\x93\x94\x84\x91\x92\x82\x96\x97\x88"), "\"\"\"\"\"'''--?");
  // 866's box drawing and ∙ are not in 1251; ° · and the no-break space are.
  EXPECT_EQ(codec.oem_to_ansi("\xB0\xC5\xF9\xF8\xFA\xFF"), "??\?\xB0\xB7\xA0");
  EXPECT_EQ(codec.utf16_to_ansi(u"é€—«"), "?\x88\x97\xAB");
  EXPECT_EQ(codec.utf16_to_ansi(u"a\U0001F600b"), "a?b") << "a surrogate pair is one character";
  EXPECT_EQ(codec.utf16_to_ansi(std::u16string(u"a\xD800"
                                               u"b")),
            "a?b");
  EXPECT_EQ(codec.utf8_to_ansi("Zürich „Apotheke“"), "Z?rich \x84\x41potheke\x93");
  EXPECT_EQ(TextCodec(1252, 850).utf16_to_ansi(u"Ж«»"), "?\xAB\xBB");
  EXPECT_EQ(TextCodec(1252, 437).ansi_to_oem("\x93\x94\xAB"), "\"\"\xAE");
}

TEST(TextCodecTest, InvalidUtf8ReadsAsReplacementCharacters) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"a\xFF"
       "b",
       u"a\uFFFDb"},
      {"a\x80"
       "b",
       u"a\uFFFDb"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},  // an overlong "/": C0 never starts a character
      {"\xE2\x82"
       "A",
       u"\uFFFDA"},  // a sequence cut short keeps what follows
      {"A\xE2\x82", u"A\uFFFD"},
      {"\xF0\x9F\x98", u"\uFFFD"},
      {"\xED\xA0\x80"
       "x",
       u"\uFFFDx"},  // an encoded surrogate
      {"\xF4\x90\x80\x80"
       "x",
       u"\uFFFDx"},  // beyond U+10FFFF
      {"\xE0\x80\xAF"
       "x",
       u"\uFFFDx"},                         // overlong three-byte form
      {"\xF0\x9F\x98\x80", u"\U0001F600"},  // valid four bytes: a surrogate pair
  };
  for (const Case& c : cases)
    EXPECT_EQ(utf8_to_utf16(c.utf8), c.utf16) << ::testing::PrintToString(c.utf8);
  EXPECT_EQ(TextCodec().utf8_to_ansi("a\xFF\xE2\x82"
                                     "b"),
            "a??b");
  EXPECT_EQ(utf16_to_utf8(std::u16string(u"\xDC00"
                                         u"a")),
            "\xEF\xBF\xBD"
            "a");
}

TEST(TextCodecTest, UnknownCodePagesAreRefused) {
  EXPECT_THROW_MSG(TextCodec(1251, 999), Error, "Unknown code page 999");
  EXPECT_THROW_MSG(TextCodec(65001, 866), Error, "Unknown code page 65001");
}

TEST(TextCodecTest, TheProcessWideCodecCanBeReplaced) {
  EXPECT_EQ(text_codec().ansi().number(), 1251);
  EXPECT_EQ(text_codec().oem().number(), 866);
  {
    Service<const TextCodec>::Scoped western(TextCodec(1252, 850));
    EXPECT_EQ(text_codec().ansi_to_utf8("\xE9"), "é");
    EXPECT_EQ(text_codec().ansi_to_oem("\xE9"), "\x82");
  }
  EXPECT_EQ(text_codec().ansi_to_utf8("\xE9"), "й");
}

}  // namespace
}  // namespace pharmex::platform
