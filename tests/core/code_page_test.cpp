// The tables' code page: every byte reads and writes back as it was, the characters beyond
// Latin-1 that it holds are stored as its bytes, and a character it cannot hold is found and
// named, never written as something else.
#include <gtest/gtest.h>

#include "core/code_page.h"

TEST(CodePage, EveryByteReadsAndWritesBackAsItWas) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const QString text = FromCodePage(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_TRUE(FirstUnstorable(text).isEmpty());
    EXPECT_EQ(ToCodePage(text).toStdString(), all);
}

TEST(CodePage, TheEuroSignDashesAndQuotesAreItsBytesAndOtherCharactersAreNamed) {
    const QString text = QString::fromUtf8("Caf\u00e9 \u20ac 5 \u2013 \u201cquoted\u201d");
    EXPECT_TRUE(FirstUnstorable(text).isEmpty());
    EXPECT_EQ(ToCodePage(text), QByteArray("Caf\xe9 \x80 5 \x96 \x93quoted\x94"));
    EXPECT_EQ(FromCodePage("Caf\xe9 \x80 5"), QString::fromUtf8("Caf\u00e9 \u20ac 5"));

    const QString name = QString::fromUtf8("\u0141ukasz Wa\u0142\u0119sa");
    EXPECT_EQ(FirstUnstorable(name), QString::fromUtf8("\u0141"));
    EXPECT_EQ(ToCodePage(name), QByteArray()) << "cut before it, never replaced";
    EXPECT_EQ(UnstorableMessage(FirstUnstorable(name)),
              QString::fromUtf8("The character \"\u0141\" (U+0141) cannot be stored: the data "
                                "files hold Western European text only (code page "
                                "Windows-1252)."));
    // A character beyond the first plane is named whole, and the control characters the code
    // page gives other meanings are not stored as those.
    const QString smile = QString::fromUtf8("ok \U0001F600");
    EXPECT_EQ(FirstUnstorable(smile), QString::fromUtf8("\U0001F600"));
    EXPECT_TRUE(UnstorableMessage(FirstUnstorable(smile)).contains("(U+1F600)"));
    EXPECT_EQ(FirstUnstorable(QString(QChar(0x80))), QString(QChar(0x80)));
}
