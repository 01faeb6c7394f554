#include "platform/SystemColors.h"
#include "text/KeyValueStore.h"
#include "text/ValueForms.h"

#include <QGuiApplication>
#include <QPalette>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(ValueForms, NumbersConvertLikeTheCLibrary)
{
    struct Row {
        const char16_t* text;
        int integer;
        double real;
    };
    const Row rows[] = {
        { u"12", 12, 12 },
        { u"  \t-7px", -7, -7 },
        { u"+3", 3, 3 },
        { u"12.75", 12, 12.75 },
        { u"-0.5%", 0, -0.5 },
        { u".5", 0, 0.5 },
        { u"5.", 5, 5 },
        { u"1e3", 1, 1000 },
        { u"1e", 1, 1 },
        { u"2E-2x", 2, 0.02 },
        { u"1e+", 1, 1 },
        { u"abc", 0, 0 },
        { u"", 0, 0 },
        { u"-", 0, 0 },
        { u".", 0, 0 },
        { u"- 5", 0, 0 },
        { u"inf", 0, 0 },
        { u"0x1A", 0, 0 },
        { u"99999999999", std::numeric_limits<int>::max(), 99999999999.0 },
        { u"-99999999999", std::numeric_limits<int>::min(), -99999999999.0 },
    };
    for (const Row& row : rows) {
        const QString text = QString::fromUtf16(row.text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(ToInt(text), row.integer);
        EXPECT_DOUBLE_EQ(ToDouble(text), row.real);
        EXPECT_FLOAT_EQ(ToFloat(text), float(row.real));
    }
    EXPECT_TRUE(std::isinf(ToDouble(u"1e999")));
    EXPECT_EQ(ToDouble(u"1e-999"), 0.0);
}

TEST(ValueForms, NumbersIgnoreTheUserLocale)
{
    const QByteArray saved = setlocale(LC_ALL, nullptr);
    if (!setlocale(LC_NUMERIC, "de_DE.UTF-8") && !setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma";
    EXPECT_DOUBLE_EQ(ToDouble(u"1.5"), 1.5);
    EXPECT_EQ(FormatFixed(1.5), QStringLiteral("1.500000"));
    setlocale(LC_ALL, saved.constData());
}

TEST(ValueForms, NumbersFormatAsPrintf)
{
    EXPECT_EQ(FormatFixed(12), QStringLiteral("12.000000"));
    EXPECT_EQ(FormatFixed(-0.25), QStringLiteral("-0.250000"));
    EXPECT_EQ(FormatGeneral(12), QStringLiteral("12"));
    EXPECT_EQ(FormatGeneral(12.5), QStringLiteral("12.5"));
    EXPECT_EQ(FormatGeneral(1234567), QStringLiteral("1.23457e+06"));
    EXPECT_EQ(FormatGeneral(0.0001), QStringLiteral("0.0001"));
    // Short: the fixed form without the zeros that end it.
    EXPECT_EQ(FormatShort(942), QStringLiteral("942"));
    EXPECT_EQ(FormatShort(942.5), QStringLiteral("942.5"));
    EXPECT_EQ(FormatShort(-0.25), QStringLiteral("-0.25"));
    EXPECT_EQ(FormatShort(100), QStringLiteral("100"));
    EXPECT_EQ(FormatShort(1234567), QStringLiteral("1234567"));
    EXPECT_EQ(FormatShort(0.0000001), QStringLiteral("0"));
    EXPECT_EQ(FormatShort(-0.0000001), QStringLiteral("0"));
    EXPECT_EQ(FormatShort(12.3456789), QStringLiteral("12.345679"));
}

TEST(ValueForms, ColoursScanAsHexadecimal)
{
    struct Row {
        const char16_t* text;
        quint32 argb;
    };
    const Row rows[] = {
        { u"0xffeeeeee", 0xffeeeeee },
        { u"0XFFEEEEEE", 0xffeeeeee },
        { u"ffEEeeEE", 0xffeeeeee },
        { u"  0xff00ff00", 0xff00ff00 },
        { u"80ff0000 trailing", 0x80ff0000 },
        { u"12g4", 0x12 },
        { u"0x", 0 },
        { u"0xg", 0 },
        { u"red", 0 },
        { u"", 0 },
        { u"DefaultFaceColor", 0xdefa }, // the hexadecimal prefix of the word
        { u"1ffeeddcc", 0xffeeddcc },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(QString::fromUtf16(row.text).toStdString());
        EXPECT_EQ(ScanColor(QString::fromUtf16(row.text)), row.argb);
    }
    EXPECT_EQ(FormatColor(0xffeeeeee), QStringLiteral("0xffeeeeee"));
    EXPECT_EQ(FormatColor(0x000000ff), QStringLiteral("0xff"));
    EXPECT_EQ(FormatColor(0), QStringLiteral("0x0"));
}

TEST(ValueForms, NamedColoursComeFromThePalette)
{
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(0x11, 0x22, 0x33));
    palette.setColor(QPalette::Dark, QColor(0x44, 0x55, 0x66, 0x80));
    palette.setColor(QPalette::Midlight, QColor(0x77, 0x88, 0x99));
    const QPalette saved = QGuiApplication::palette();
    QGuiApplication::setPalette(palette);

    EXPECT_EQ(NamedColor(u"DefaultFaceColor"), 0xff112233u);
    EXPECT_EQ(NamedColor(u"DefaultShadowColor"), 0xff445566u);
    EXPECT_EQ(NamedColor(u"DefaultGrayColor"), 0xff445566u);
    EXPECT_EQ(NamedColor(u"DefaultLightColor"), 0xff778899u);
    EXPECT_FALSE(NamedColor(u"defaultFaceColor").has_value());
    EXPECT_FALSE(NamedColor(u"DefaultFaceColor ").has_value());

    KeyValueStore store;
    store.Set(QStringLiteral("Face"), QStringLiteral("DefaultFaceColor"));
    store.Set(QStringLiteral("Back"), QStringLiteral("ff0000ff"));
    EXPECT_EQ(store.GetColorOrNamed(QStringLiteral("Face")), 0xff112233u);
    EXPECT_EQ(store.GetColor(QStringLiteral("Face")), 0xdefau);
    EXPECT_EQ(store.GetColorOrNamed(QStringLiteral("Back")), 0xff0000ffu);
    EXPECT_EQ(store.GetColorOrNamed(QStringLiteral("None"), 7), 7u);
    QGuiApplication::setPalette(saved);
}

TEST(ValueForms, PlainListsCutAtEveryComma)
{
    struct Row {
        const char* value;
        QStringList fields;
    };
    const Row rows[] = {
        { "", {} },
        { ",,", { "", "", "" } },
        { "a", { "a" } },
        { "a,", { "a", "" } },
        { " a , \"b,c\"", { " a ", " \"b", "c\"" } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(SplitPlainList(QString::fromUtf8(row.value)), row.fields);
        KeyValueStore store;
        store.Set(QStringLiteral("K"), QString::fromUtf8(row.value));
        EXPECT_EQ(store.GetListCount(QStringLiteral("K")), row.fields.size());
        for (int i = -1; i <= int(row.fields.size()); ++i) {
            const bool inside = i >= 0 && i < row.fields.size();
            EXPECT_EQ(store.GetListText(QStringLiteral("K"), i, QStringLiteral("?")),
                inside ? row.fields[i] : QStringLiteral("?"));
        }
    }
}

TEST(ValueForms, UnescapeResolvesBackslashesAndDropsQuotes)
{
    struct Row {
        const char16_t* text;
        const char16_t* result;
    };
    const Row rows[] = {
        { u"plain text", u"plain text" },
        { u"say \\\"hi\\\"", u"say \"hi\"" },
        { u"\"quoted\"", u"quoted" },
        { u"a\\nb\\rc\\td", u"a\nb\rc\td" },
        { u"C:\\temp\\new", u"C:\temp\new" },
        { u"C:\\photos\\x", u"C:\\photos\\x" },
        { u"a\\\\b", u"a\\b" },
        { u"end\\", u"end" },
        { u"\\", u"" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(QString::fromUtf16(row.text).toStdString());
        EXPECT_EQ(Unescape(QString::fromUtf16(row.text)), QString::fromUtf16(row.result));
    }
}

TEST(KeyValueStore, ReadersFallBackOnlyWhenTheKeyIsAbsent)
{
    KeyValueStore store;
    store.Set(QStringLiteral("Width"), QStringLiteral("12.5"));
    store.Set(QStringLiteral("Empty"), QString());
    store.Set(QStringLiteral("Path"), QStringLiteral("C:\\temp"));
    store.Set(QStringLiteral("List"), QStringLiteral("1,2.5,x\\ty"));
    EXPECT_EQ(store.GetInt(QStringLiteral("Width"), 9), 12);
    EXPECT_FLOAT_EQ(store.GetFloat(QStringLiteral("Width"), 9), 12.5f);
    EXPECT_DOUBLE_EQ(store.GetDouble(QStringLiteral("width"), 9), 9);
    EXPECT_EQ(store.GetInt(QStringLiteral("Empty"), 9), 0);
    EXPECT_EQ(store.GetText(QStringLiteral("Empty"), QStringLiteral("d")), QString());
    EXPECT_EQ(store.GetText(QStringLiteral("Path")), QStringLiteral("C:\\temp"));
    EXPECT_EQ(store.GetText(QStringLiteral("Path"), {}, Escape::Unescape), QStringLiteral("C:\temp"));
    EXPECT_EQ(store.GetListInt(QStringLiteral("List"), 0, 9), 1);
    EXPECT_FLOAT_EQ(store.GetListFloat(QStringLiteral("List"), 1, 9), 2.5f);
    EXPECT_DOUBLE_EQ(store.GetListDouble(QStringLiteral("List"), 3, 9), 9);
    EXPECT_EQ(store.GetListText(QStringLiteral("List"), 2, {}, Escape::Unescape), QStringLiteral("x\ty"));
    EXPECT_EQ(store.GetListCount(QStringLiteral("Missing")), 0);
}

TEST(KeyValueStore, ListContainsWholeWordsOnly)
{
    KeyValueStore store;
    store.Set(QStringLiteral("Option"), QStringLiteral("Repeat,,Fix"));
    EXPECT_TRUE(store.ListContains(QStringLiteral("Option"), QStringLiteral("Fix")));
    EXPECT_FALSE(store.ListContains(QStringLiteral("Option"), QStringLiteral("Rep")));
    EXPECT_FALSE(store.ListContains(QStringLiteral("Option"), QStringLiteral("repeat")));
    EXPECT_FALSE(store.ListContains(QStringLiteral("Option"), QString()));
    EXPECT_FALSE(store.ListContains(QStringLiteral("Missing"), QStringLiteral("Fix")));
}

TEST(KeyValueStore, SetListFieldRejoinsTheFields)
{
    struct Row {
        const char* before; // nullptr: key absent
        int index;
        const char* text;
        const char* after; // nullptr: key still absent
        bool changed;
    };
    const Row rows[] = {
        { "L1,T2,W3,H4", 2, "R5", "L1,T2,R5,H4", true },
        { "L1,T2,W3,H4", 1, "T2", "L1,T2,W3,H4", false },
        { "L1,T2,W3,H4", 4, "x", "L1,T2,W3,H4", false },
        { "L1,T2,W3,H4", -1, "x", "L1,T2,W3,H4", false },
        { "L1,T2,W3,H4", 1, "", "L1,W3,H4", true },
        { ",,a", 2, "b", "b", true },
        { "a,,c", 2, "d", "a,,d", true },
        { "", 0, "x", "", false },
        { nullptr, 0, "x", nullptr, false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.before ? row.before : "(absent)") + " " + std::to_string(row.index));
        KeyValueStore store;
        if (row.before)
            store.Set(QStringLiteral("Pos"), QString::fromUtf8(row.before));
        EXPECT_EQ(store.SetListField(QStringLiteral("Pos"), row.index, QString::fromUtf8(row.text)), row.changed);
        EXPECT_EQ(store.Contains(QStringLiteral("Pos")), row.after != nullptr);
        if (row.after) {
            EXPECT_EQ(store.GetText(QStringLiteral("Pos")), QString::fromUtf8(row.after));
        }
    }
}

TEST(KeyValueStore, ManyKeysStayFindableThroughRemoval)
{
    KeyValueStore store;
    constexpr int kKeys = 500;
    for (int i = 0; i < kKeys; ++i)
        store.Set(QStringLiteral("Key%1").arg(i), QString::number(i));
    store.Set(QStringLiteral("Key7"), QStringLiteral("seven"));
    EXPECT_EQ(store.Count(), kKeys);
    for (int i = 0; i < kKeys; i += 2)
        EXPECT_TRUE(store.Remove(QStringLiteral("Key%1").arg(i)));
    EXPECT_FALSE(store.Remove(QStringLiteral("Key0")));
    EXPECT_EQ(store.Count(), kKeys / 2);
    for (int i = 0; i < kKeys; ++i) {
        const QString key = QStringLiteral("Key%1").arg(i);
        EXPECT_EQ(store.Contains(key), i % 2 == 1) << i;
    }
    EXPECT_EQ(store.GetText(QStringLiteral("Key7")), QStringLiteral("seven"));
    EXPECT_EQ(store.GetInt(QStringLiteral("Key499")), 499);
    while (store.Count() > 3)
        store.Remove(store.KeyAt(0));
    EXPECT_EQ(store.Keys().size(), 3);
    for (const QString& key : store.Keys())
        EXPECT_TRUE(store.Contains(key));
}

}
