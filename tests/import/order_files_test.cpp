// The order file readers on bytes: splitting a line into fields, amounts, the Info line and the
// Order lines, with the malformed inputs they refuse and the short lines they take as empty.
// Plain C++: the fuzzers' build replays these with the sanitizers too.
#include <gtest/gtest.h>

#include "import/order_files.h"

namespace {

using Fields = std::vector<std::string>;

// An Info line with `count` fields, field i holding "f<i>" unless set in `values`.
std::string InfoLine(const std::vector<std::pair<int, std::string>>& values, int count = 32) {
    Fields fields;
    for (int i = 0; i < count; ++i) fields.push_back("f" + std::to_string(i));
    for (const auto& [index, text] : values) fields[static_cast<size_t>(index)] = text;
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) line += (i ? "," : "") + fields[i];
    return line;
}

TEST(SplitFields, CommasInsideQuotesAreDataAndTheQuotesVanish) {
    EXPECT_EQ(SplitFields(R"(1,"Smith, Jr.",x)"), (Fields{"1", "Smith, Jr.", "x"}));
    EXPECT_EQ(SplitFields(R"(a""b,"say ""hi""")"), (Fields{"ab", "say hi"}));
    EXPECT_EQ(SplitFields(R"(a,"open, to the end)"), (Fields{"a", "open, to the end"}));
    EXPECT_EQ(SplitFields(",, x ,"), (Fields{"", "", " x ", ""}));
    EXPECT_EQ(SplitFields(""), (Fields{""}));
    EXPECT_EQ(FieldAt(SplitFields("a,b"), 7), "");
}

TEST(ParseAmount, PlainDecimalsOnlyAndAnEmptyFieldIsZero) {
    double v = -1;
    EXPECT_TRUE(ParseAmount("", &v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(ParseAmount("  12.50 ", &v));
    EXPECT_DOUBLE_EQ(v, 12.5);
    EXPECT_TRUE(ParseAmount("-3", &v));
    EXPECT_DOUBLE_EQ(v, -3);
    EXPECT_TRUE(ParseAmount("+.25", &v));
    EXPECT_DOUBLE_EQ(v, 0.25);
    EXPECT_TRUE(ParseAmount("999999999.99", &v));
    EXPECT_LT(v, 1e9);
    EXPECT_FALSE(ParseAmount("999999999.99999999999", &v)) << "rounds to a billion";
    for (const char* bad :
         {"abc", "1.2.3", "1e5", ".", "-", "12,50", "$5", "1000000000", "nan", "inf", "1 2"})
        EXPECT_FALSE(ParseAmount(bad, &v)) << bad;
}

TEST(ParseInfo, TheFirstLineIsReadAndAShortLineGivesEmptyFieldsAndZeroAmounts) {
    InfoRecord info;
    std::string error;
    const std::string content = "\xEF\xBB\xBF" +
                                InfoLine({{6, "\"Smith, Jr.\""}, {30, "1.75"}, {31, " 6.00"}}) +
                                "\r\nsecond line,ignored\r\n";
    ASSERT_TRUE(ParseInfo(content, &info, &error)) << error;
    EXPECT_EQ(info.fields.size(), 32u);
    EXPECT_EQ(FieldAt(info.fields, kInfoTitle), "f4");
    EXPECT_EQ(FieldAt(info.fields, kInfoLast), "Smith, Jr.");
    EXPECT_DOUBLE_EQ(info.salesTax, 1.75);
    EXPECT_DOUBLE_EQ(info.shipping, 6.0);

    ASSERT_TRUE(ParseInfo("0,1,2,3,Mr,Ann,Lee", &info, &error)) << error;
    EXPECT_EQ(FieldAt(info.fields, kInfoFirst), "Ann");
    EXPECT_EQ(FieldAt(info.fields, kInfoEmail), "");
    EXPECT_EQ(info.salesTax, 0);
    EXPECT_EQ(info.shipping, 0);
}

TEST(ParseInfo, AFileThatIsNotAnInfoLineIsRefusedWithItsReason) {
    InfoRecord info;
    info.salesTax = 9;
    std::string error;
    EXPECT_FALSE(ParseInfo("", &info, &error));
    EXPECT_EQ(error, "its first line holds no customer information");
    EXPECT_FALSE(ParseInfo("  \nMr,Ann", &info, &error));
    EXPECT_FALSE(ParseInfo(std::string("Mr,A\0n", 6), &info, &error));
    EXPECT_EQ(error, "it is not a text file");
    EXPECT_FALSE(ParseInfo(InfoLine({{30, "ten"}}), &info, &error));
    EXPECT_EQ(error, "the sales tax 'ten' is not an amount");
    EXPECT_FALSE(ParseInfo(InfoLine({{30, "0"}, {31, "1.2.3"}}), &info, &error));
    EXPECT_EQ(error, "the shipping amount '1.2.3' is not an amount");
    EXPECT_EQ(info.salesTax, 9) << "a refused file leaves the record alone";
}

TEST(ParseOrder, EveryLineWithTextIsAnItemAndABadAmountNamesItsLine) {
    std::vector<OrderLine> lines;
    std::string error;
    const std::string content =
        "1,AB,\"Shirt, blue\",12.50,2,x,y,Large\r\n"
        "\r\n"
        "2,cd,Mug\r"
        "3,EF,Cap,3,1,,,Red";  // no line end after the last line
    ASSERT_TRUE(ParseOrder(content, &lines, &error)) << error;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].lineNumber, 1);
    EXPECT_EQ(lines[0].code, "AB");
    EXPECT_EQ(lines[0].description, "Shirt, blue");
    EXPECT_DOUBLE_EQ(lines[0].price, 12.5);
    EXPECT_DOUBLE_EQ(lines[0].quantity, 2);
    EXPECT_EQ(lines[0].option, "Large");
    EXPECT_EQ(lines[1].lineNumber, 3);
    EXPECT_EQ(lines[1].code, "cd");
    EXPECT_EQ(lines[1].price, 0) << "missing fields are empty";
    EXPECT_EQ(lines[1].option, "");
    EXPECT_EQ(lines[2].lineNumber, 4);
    EXPECT_EQ(lines[2].option, "Red");

    ASSERT_TRUE(ParseOrder("", &lines, &error));
    EXPECT_TRUE(lines.empty());
    lines.resize(2);
    EXPECT_FALSE(ParseOrder("1,A,B,1,1\n1,A,B,1,1\n1,C,D,4.00,two\n", &lines, &error));
    EXPECT_EQ(error, "line 3: the quantity 'two' is not an amount");
    EXPECT_EQ(lines.size(), 2u) << "a refused file leaves the lines alone";
    EXPECT_FALSE(ParseOrder(std::string("1,A\0", 4), &lines, &error));
}

}  // namespace
