#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

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

// The byte of a unit in a page, one unit at a time: its own, or its plain
// stand-in (quotation marks and dashes), or '?'.
unsigned char reference_byte(const CodePage& page, char16_t unit) {
  if (std::optional<unsigned char> byte = page.from_unicode(unit)) return *byte;
  char fit = '?';
  switch (unit) {
    case u'«':
    case u'»':
    case u'“':
    case u'”':
    case u'„':
      fit = '"';
      break;
    case u'‘':
    case u'’':
    case u'‚':
      fit = '\'';
      break;
    case u'–':
    case u'—':
      fit = '-';
      break;
  }
  return *page.from_unicode(static_cast<char16_t>(fit));
}

// A text's bytes in the codec's ANSI page, cut to `room` bytes: a surrogate
// pair is one '?'; `oem` translates each byte to the OEM page up to the
// first zero unit (after it, the bytes stay ANSI).
std::string reference_text(const TextCodec& codec, std::u16string_view text, size_t room,
                           bool oem) {
  std::string out;
  bool translating = oem;
  for (size_t i = 0; i < text.size() && out.size() < room; ++i) {
    const char16_t unit = text[i];
    if (unit == 0) translating = false;
    unsigned char byte = 0;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      byte = '?';
      ++i;
    } else {
      byte = reference_byte(codec.ansi(), unit);
    }
    if (translating) byte = reference_byte(codec.oem(), codec.ansi().to_unicode(byte));
    out.push_back(static_cast<char>(byte));
  }
  return out;
}

// Where two texts first differ, for a failure's message.
std::string first_difference(const std::string& got, const std::string& expected,
                             std::u16string_view text) {
  size_t i = 0;
  while (i < got.size() && i < expected.size() && got[i] == expected[i])
    ++i;
  return "at byte " + std::to_string(i) + " of " + std::to_string(expected.size()) +
         (i < text.size() ? ", unit " + std::to_string(int{text[i]}) : std::string());
}

class EncodeUtf16Test : public ::testing::TestWithParam<std::pair<int, int>> {
 protected:
  // Every encoder of `codec` on `text` with `room` bytes, against the reference.
  static void expect_encodes(const TextCodec& codec, std::u16string_view text, size_t room) {
    for (const bool oem : {false, true}) {
      std::string out(room, '\x7F');
      const size_t written =
          oem ? codec.encode_utf16_as_oem(out, text) : codec.encode_utf16_as_ansi(out, text);
      out.resize(written);
      const std::string expected = reference_text(codec, text, room, oem);
      ASSERT_EQ(out, expected) << (oem ? "OEM " : "ANSI ") << first_difference(out, expected, text);
    }
    std::string appended = "ab";
    codec.append_utf16_as_ansi(appended, text);
    ASSERT_EQ(appended, "ab" + reference_text(codec, text, text.size(), false));
  }
};

TEST_P(EncodeUtf16Test, EncodesEveryUnitAndRandomTextsAsTheReferenceDoes) {
  const TextCodec codec(GetParam().first, GetParam().second);
  for (int unit = 0; unit < 0x10000; ++unit) {
    const char16_t one[] = {static_cast<char16_t>(unit)};
    SCOPED_TRACE(unit);
    expect_encodes(codec, std::u16string_view(one, 1), 1);
  }
  // Every unit in a row (the zero last; one pair: DBFF DC00), in any room.
  std::u16string all;
  for (int unit = 1; unit <= 0x10000; ++unit)
    all.push_back(static_cast<char16_t>(unit & 0xFFFF));
  for (size_t room : {all.size(), size_t{0}, size_t{3}, size_t{0xDBFF}, size_t{0xFFFE}})
    expect_encodes(codec, all, room);

  // Texts of units the encoders treat apart: ASCII runs, zeros, letters,
  // the best fits, halves of surrogate pairs, anything.
  const char16_t kinds[][2] = {{0x20, 0x7E},     {0, 0},           {0x401, 0x45F},   {0x80, 0xFF},
                               {0x2013, 0x201E}, {0xD800, 0xDBFF}, {0xDC00, 0xDFFF}, {0, 0xFFFF}};
  std::mt19937 random(20240305);
  for (int n = 0; n < 3000; ++n) {
    std::u16string text(random() % 41, u' ');
    for (char16_t& unit : text) {
      const auto& kind = kinds[random() % std::size(kinds)];
      unit = static_cast<char16_t>(kind[0] + random() % (kind[1] - kind[0] + 1));
    }
    const size_t room = random() % (text.size() + 3);
    SCOPED_TRACE(::testing::PrintToString(text));
    expect_encodes(codec, text, room);
  }
}

TEST_P(EncodeUtf16Test, CopiesAndAssignedCodecsEncodeByTheirOwnPages) {
  const std::u16string text = u"Ж«é€—ü\U0001F600 ok";
  TextCodec used(GetParam().first, GetParam().second);
  std::string out(text.size(), ' ');
  (void)used.encode_utf16_as_oem(out, text);  // makes its tables
  const TextCodec copy(used);
  expect_encodes(copy, text, text.size());
  TextCodec assigned(1251, 866);
  (void)assigned.encode_utf16_as_oem(out, text);
  (void)assigned.encode_utf16_as_ansi(out, text);
  assigned = used;
  expect_encodes(assigned, text, text.size());
}

std::vector<std::pair<int, int>> page_pairs() {
  const int pages[] = {437, 850, 852, 866, 1250, 1251, 1252};
  std::vector<std::pair<int, int>> pairs;
  for (int ansi : pages) {
    for (int oem : pages)
      pairs.emplace_back(ansi, oem);
  }
  return pairs;
}

INSTANTIATE_TEST_SUITE_P(EveryPagePair, EncodeUtf16Test, ::testing::ValuesIn(page_pairs()),
                         [](const ::testing::TestParamInfo<std::pair<int, int>>& info) {
                           return std::to_string(info.param.first) + "_" +
                                  std::to_string(info.param.second);
                         });

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
