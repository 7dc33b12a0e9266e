// The portable rules of the settings store: safe formatting of translated
// messages, the value conversions, section splitting and the text table.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "settings/ini_text.h"
#include "settings/message_format.h"
#include "settings/text_table.h"

namespace settings {
namespace {

using Args = std::vector<os::MessageArg>;

std::string Fmt(std::string_view format, Args args = {}) { return FormatUserMessage(format, args); }

TEST(MessageFormat, SubstitutesMatchingArgumentsInOrder) {
  EXPECT_EQ(Fmt("%s already Exist", {std::string("Office")}), "Office already Exist");
  EXPECT_EQ(Fmt("%d fps, %d kbps", {25LL, 512LL}), "25 fps, 512 kbps");
  EXPECT_EQ(Fmt("%i/%u/%x/%X", {-7LL, 7LL, 255LL, 255LL}), "-7/7/ff/FF");
  EXPECT_EQ(Fmt("100%% done"), "100% done");
  EXPECT_EQ(Fmt("[%05d] [%-4d] [%+d] [%#x] [%.3d]", {42LL, 7LL, 5LL, 255LL, 9LL}), "[00042] [7   ] [+5] [0xff] [009]");
  EXPECT_EQ(Fmt("[%6s] [%-6s] [%.2s]", {std::string("ab"), std::string("ab"), std::string("abcdef")}),
            "[    ab] [ab    ] [ab]");
  EXPECT_EQ(Fmt("%ld and %lld and %hd", {1LL, 2LL, 3LL}), "1 and 2 and 3");
}

TEST(MessageFormat, MissingOrMistypedArgumentsAreShownLiterally) {
  // A translator swapped the conversions: each takes the argument in its
  // position, and neither matches.
  EXPECT_EQ(Fmt("%d is not %s", {std::string("x"), 3LL}), "%d is not %s");
  EXPECT_EQ(Fmt("%s already Exist"), "%s already Exist");
  EXPECT_EQ(Fmt("%d and %d", {1LL}), "1 and %d");
  EXPECT_EQ(Fmt("%-08s and %s", {5LL, std::string("b")}), "%-08s and b");
  // Extra arguments are ignored.
  EXPECT_EQ(Fmt("plain", {1LL, std::string("x")}), "plain");
}

TEST(MessageFormat, UnsupportedOrMalformedConversionsTakeNoArgument) {
  EXPECT_EQ(Fmt("%n%p%f %d", {4LL}), "%n%p%f 4");
  EXPECT_EQ(Fmt("%*d %d", {4LL}), "%*d 4");
  EXPECT_EQ(Fmt("trailing %"), "trailing %");
  EXPECT_EQ(Fmt("%l"), "%l");
  EXPECT_EQ(Fmt("%lllld %d", {4LL}), "%lllld 4");
  // "100% sure" holds the space-flagged conversion "% s": with no argument
  // it stays as written.
  EXPECT_EQ(Fmt("100% sure"), "100% sure");
  // Absurd widths would make huge texts; they are shown as written.
  EXPECT_EQ(Fmt("%99999999d|%.99999999s", {1LL, std::string("x")}), "%99999999d|%.99999999s");
  EXPECT_EQ(Fmt("%256d", {1LL}).size(), 256u);
  EXPECT_EQ(Fmt("%257d", {1LL}), "%257d");
}

TEST(MessageFormat, UnsignedConversionsShowThirtyTwoBitValues) {
  EXPECT_EQ(Fmt("%u %x", {-1LL, -2LL}), "4294967295 fffffffe");
  EXPECT_EQ(Fmt("%x", {0x123456789LL}), "123456789");
  EXPECT_EQ(Fmt("%d", {-9000000000LL}), "-9000000000");
}

TEST(MessageFormat, TextIsMeasuredInCharactersNotBytes) {
  EXPECT_EQ(Fmt("[%4s]", {std::string("한글")}), "[  한글]");
  EXPECT_EQ(Fmt("[%.1s]", {std::string("한글")}), "[한]");
  std::string korean = text::kPresetErrorOverMaxNum.default_text;
  EXPECT_EQ(Fmt(korean, {99LL}), "최대 번호 ( 99 )를 넘었습니다. \r\n다시 입력하여 주십시오");
}

TEST(IniText, ExpandLineBreaksTurnsEscapedPairsIntoRealOnes) {
  EXPECT_EQ(ExpandLineBreaks("one\\r\\ntwo"), "one\r\ntwo");
  EXPECT_EQ(ExpandLineBreaks("\\r\\n\\r\\nend\\r\\n"), "\r\n\r\nend\r\n");
  // Only the whole four-character sequence counts.
  EXPECT_EQ(ExpandLineBreaks("a\\rb\\nc\\r\\"), "a\\rb\\nc\\r\\");
  EXPECT_EQ(ExpandLineBreaks("\\\\r\\n"), "\\\r\n");
  EXPECT_EQ(ExpandLineBreaks(""), "");
}

TEST(IniText, OnlyTrueInAnyCaseIsTrue) {
  for (const char* yes : {"true", "True", "TRUE", "tRuE"}) EXPECT_TRUE(IsTrueText(yes)) << yes;
  for (const char* no : {"1", "yes", "", "TRUE ", " true", "truex", "FALSE", "tru"}) {
    EXPECT_FALSE(IsTrueText(no)) << '"' << no << '"';
  }
}

TEST(IniText, SectionKeyNamesKeepFileOrderAndStopAtTheBlockEnd) {
  using namespace std::string_view_literals;
  using Names = std::vector<std::string>;
  EXPECT_EQ(SectionKeyNames("b=1\0a=2\0c=\0\0"sv), (Names{"b", "a", "c"}));
  // An entry without '=' gives an empty name; the first '=' splits.
  EXPECT_EQ(SectionKeyNames("Pelco\0k=v=w\0=x\0\0"sv), (Names{"", "k", ""}));
  // No final NUL, or none at all: the length bounds the read.
  EXPECT_EQ(SectionKeyNames("a=1\0b=2"sv), (Names{"a", "b"}));
  EXPECT_EQ(SectionKeyNames(""sv), Names{});
  EXPECT_EQ(SectionKeyNames("\0a=1\0\0"sv), Names{});

  std::vector<SectionEntry> entries = SplitSection("Office=Office\0k=v=w\0bare\0"sv);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "Office");
  EXPECT_EQ(entries[0].value, "Office");
  EXPECT_EQ(entries[1].value, "v=w");
  EXPECT_EQ(entries[2].name, "");
  EXPECT_EQ(entries[2].value, "");
}

TEST(TextTable, EveryTextHasOneUniqueSectionAndKey) {
  std::set<std::pair<std::string, std::string>> seen;
  int net_status = 0;
  for (const TextId& id : AllTexts()) {
    ASSERT_TRUE(id.section && id.key && id.default_text);
    EXPECT_FALSE(std::string(id.section).empty());
    EXPECT_FALSE(std::string(id.key).empty());
    if (std::string(id.key) == "MENU_NETSTATUS") {
      ++net_status;  // one key, two defaults
      continue;
    }
    EXPECT_TRUE(seen.insert({id.section, id.key}).second) << id.section << "/" << id.key << " twice";
  }
  EXPECT_EQ(net_status, 2);
}

TEST(TextTable, DefaultsFormatCleanlyWithTheirArguments) {
  // Texts shown with arguments take exactly the kinds their callers pass;
  // every other default must come out of the formatter unchanged.
  for (const TextId& id : AllTexts()) {
    std::string def = id.default_text;
    Args args;  // one of the kind each conversion asks for, in order
    for (size_t at = def.find('%'); at != std::string::npos && at + 1 < def.size(); at = def.find('%', at + 2)) {
      if (def[at + 1] == 's') args.emplace_back(std::string("G"));
      if (def[at + 1] == 'd') args.emplace_back(12LL);
    }
    std::string shown = FormatUserMessage(def, args);
    EXPECT_EQ(shown.find('%'), std::string::npos) << id.section << "/" << id.key << ": " << shown;
  }
  EXPECT_EQ(Fmt(text::kTreeErrorGroupAlreadyExist.default_text, {std::string("G")}), "G already Exist");
}

// The settings file in any of the encodings an editor saves, read with the
// private-profile functions' rules.
TEST(IniDocument, ReadsEveryEncodingWithTheProfileRules) {
  const std::string utf8 = "; a comment\r\n[Texts]\r\n  Caption  =  \"할야드\"  \r\nLONE\r\n[texts]\r\nCaption=second\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("[S]\nK=v\n")) utf16 += std::string{c, '\0'};
  utf16 += std::string("\x5C\xD5", 2);  // U+D55C
  const struct {
    std::string bytes;
    bool decodes;
    std::string text;
  } files[] = {{utf8, true, utf8},
               {"\xEF\xBB\xBF" + utf8, true, utf8},
               {utf16, true, "[S]\nK=v\n\xED\x95\x9C"},
               {"[S]\nK=caf\xE9\n", false, ""},  // Latin-1: for Windows's ANSI code page
               {"\xED\xA0\x80", false, ""}};       // an encoded surrogate is no UTF-8
  for (const auto& f : files) {
    std::string text;
    EXPECT_EQ(f.decodes, DecodeSettingsText(f.bytes, &text)) << f.text;
    EXPECT_EQ(f.text, text);
  }
  const IniDocument file(utf8);
  EXPECT_EQ("할야드", file.Value("TEXTS", "caption ").value_or("<none>")) << "any case, blanks and quotes dropped";
  EXPECT_FALSE(file.Value("Texts", "LONE")) << "a line without '=' has no name";
  EXPECT_FALSE(file.Value("Other", "Caption"));
  ASSERT_EQ(2u, file.Entries("Texts").size()) << "the first section of the name, the comment skipped";
  EXPECT_EQ("", file.Entries("Texts")[1].name);
  EXPECT_EQ(17, ProfileNumber(" 17abc"));
  EXPECT_EQ(-5, ProfileNumber("-5"));
  EXPECT_EQ(0, ProfileNumber("abc"));
  EXPECT_EQ(std::string(3, 'x'), CutToUtf16Units("xxxxx", 3));
  EXPECT_EQ("a\xED\x95\x9C", CutToUtf16Units("a\xED\x95\x9C\xF0\x9F\x98\x80", 3)) << "never half a pair";
}

}  // namespace
}  // namespace settings
