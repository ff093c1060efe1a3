#include "image/device_txt_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <string_view>

namespace kestrix::image {
namespace {

struct GrammarCase {
    const char* name;
    std::string text;
    std::string_view key;
    std::size_t maxLength;
    bool found;
    std::string value;
};

void PrintTo(const GrammarCase& c, std::ostream* os) {
    *os << c.name;
}

const GrammarCase GrammarCases[] = {
    {"PlainEntry", "VID = \"04b4\";", "VID", 4, true, "04b4"},
    {"EntryAmongOtherLines", "; settings\n\tVID   =\t\"04b4\";  \nPID = \"1234\";\n", "PID", 4,
     true, "1234"},
    {"EqualsGluedToKey", "VID= \"04b4\";", "VID", 4, false, ""},
    {"EqualsGluedToBoth", "VID=\"04b4\";", "VID", 4, false, ""},
    {"EqualsGluedToValue", "VID =\"04b4\";", "VID", 4, false, ""},
    {"BlankBeforeSemicolon", "VID = \"04b4\" ;", "VID", 4, false, ""},
    {"BlankBeforeSemicolonAfterBlanksInValue", "P = \"Card Reader\" ;", "P", 24, false, ""},
    {"BlanksInsideValue", "P = \"Card Reader\";", "P", 24, true, "Card Reader"},
    {"TabsAndLineEndsInsideValue", "P = \"a \t b\nc\";", "P", 24, true, "a \t b\nc"},
    {"CrLfInsideValueIsOneLineFeed", "P = \"a\r\nb\";", "P", 3, true, "a\nb"},
    {"ValueStartingWithBlank", "P = \" a\";", "P", 24, true, " a"},
    {"SingleBlankValue", "P = \" \";", "P", 24, true, " "},
    {"SemicolonInsideValue", "P = \"a;b\";", "P", 24, true, "a;b"},
    {"SemicolonInsideValueWithBlanks", "P = \"a; b\";", "P", 24, true, "a; b"},
    {"ValueStartingWithSemicolon", "P = \"; x\";", "P", 24, true, "; x"},
    {"QuoteInsideValue", "P = \"a\"b\";", "P", 24, true, "a\"b"},
    {"QuoteAndSemicolonInsideValue", "P = \"a\";\"b\";", "P", 24, true, "a\";\"b"},
    {"TextAfterLastSemicolon", "P = \"abc\";rest", "P", 24, true, "abc"},
    {"QuoteAfterLastSemicolon", "P = \"abc\";rest\"", "P", 24, false, ""},
    {"NoSemicolon", "P = \"abc\"", "P", 24, false, ""},
    {"CharacterOtherThanSemicolonAfterQuote", "P = \"a b\"x;", "P", 24, false, ""},
    {"LineEndBetweenQuoteAndSemicolon", "P = \"a b\"\n;", "P", 24, false, ""},
    {"EmptyValue", "P = \"\";", "P", 24, false, ""},
    {"NoOpeningQuote", "P = abc;", "P", 24, false, ""},
    {"ValueRunsToEndOfFile", "P = \"abc def", "P", 24, false, ""},
    {"ClosingQuoteAtEndOfFile", "P = \"abc def\"", "P", 24, false, ""},
    {"LoneQuoteAtEndOfFile", "P = \"", "P", 24, false, ""},
    {"KeyIsLastToken", "X = \"1\";\nP", "P", 24, false, ""},
    {"EqualsIsLastToken", "P =", "P", 24, false, ""},
    {"KeyIsCaseSensitive", "vid = \"04b4\";", "VID", 4, false, ""},
    {"KeyMustBeWholeToken", "MyVID = \"04b4\"; VID_2 = \"1111\";", "VID", 4, false, ""},
    {"ValueAtMaximum", "P = \"1234\";", "P", 4, true, "1234"},
    {"ValuePastMaximum", "P = \"12345\";", "P", 4, false, ""},
    {"FirstOccurrenceInCommentWins", "The PID is set below.\nPID = \"1234\";", "PID", 4, false, ""},
    {"MalformedFirstEntryWins", "PID = 1234;\nPID = \"1234\";", "PID", 4, false, ""},
    {"EmptyFirstEntryWins", "PID = \"\";\nPID = \"1234\";", "PID", 4, false, ""},
    {"KeyNameAsWordInsideEarlierValue", "S = \"My PID Reader\";\nPID = \"1234\";", "PID", 4, false,
     ""},
    {"KeyNameGluedInsideEarlierValue", "S = \"PID\";\nPID = \"1234\";", "PID", 4, true, "1234"},
    {"ValueOfOneKeyMayBeAnotherKeysName", "P = \"Q\"; Q = \"1\";", "Q", 4, true, "1"},
    {"TokenOfMaximumLength", "P = \"abc\";" + std::string(MaxValueTokenLength - 6, 'z'), "P", 24,
     true, "abc"},
    {"TokenPastMaximumLength", "P = \"abc\";" + std::string(MaxValueTokenLength - 5, 'z'), "P", 24,
     false, ""},
    {"ValueWithBlanksPastTokenMaximum", "P = \"a " + std::string(MaxValueTokenLength, 'z') + "\";",
     "P", 1000, false, ""},
};

class DeviceTxtGrammarTest : public testing::TestWithParam<GrammarCase> {};

TEST_P(DeviceTxtGrammarTest, IndexedLookupFindsTheEntry) {
    const GrammarCase& c = GetParam();
    const std::array<std::string_view, 1> keys{c.key};
    const DeviceTxtIndex index(c.text, keys);
    const KeyLookup entry = index.Lookup(c.key, c.maxLength);
    EXPECT_EQ(entry.found, c.found);
    EXPECT_EQ(entry.value, c.value);
}

// A key the index was not built for is found by a scan of its own, with the same result.
TEST_P(DeviceTxtGrammarTest, UnindexedLookupAgrees) {
    const GrammarCase& c = GetParam();
    const DeviceTxtIndex index(c.text, {});
    const KeyLookup entry = index.Lookup(c.key, c.maxLength);
    EXPECT_EQ(entry.found, c.found);
    EXPECT_EQ(entry.value, c.value);
}

INSTANTIATE_TEST_SUITE_P(Cases, DeviceTxtGrammarTest, testing::ValuesIn(GrammarCases),
                         [](const testing::TestParamInfo<GrammarCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(DeviceTxtIndexTest, EveryKeyIsLookedUpFromTheStartOfTheText) {
    // The value of A spans tokens that include B's name; B's first occurrence is inside it.
    const std::string text = "A = \"x B y\";\nB = \"1\";\nC = \"2\";";
    const std::array<std::string_view, 3> keys{"A", "B", "C"};
    const DeviceTxtIndex index(text, keys);
    EXPECT_EQ(index.Lookup("A", 24).value, "x B y");
    EXPECT_FALSE(index.Lookup("B", 24).found);
    EXPECT_EQ(index.Lookup("C", 24).value, "2");
}

TEST(DeviceTxtIndexTest, TokenHoldsTheWholeValueTokenAsRead) {
    const std::string text = "P = \"0x01 0x02\";tail more";
    const std::array<std::string_view, 1> keys{"P"};
    const KeyLookup entry = DeviceTxtIndex(text, keys).Lookup("P", 24);
    ASSERT_TRUE(entry.found);
    EXPECT_EQ(entry.token, "\"0x01 0x02\";");

    const std::string glued = "P = \"0x01\";tail more";
    EXPECT_EQ(DeviceTxtIndex(glued, keys).Lookup("P", 24).token, "\"0x01\";tail");
}

}  // namespace
}  // namespace kestrix::image
