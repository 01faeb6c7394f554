#include "app/PageExport.h"

#include <gtest/gtest.h>

TEST(PageExportArgumentsTest, DefaultsAndEveryOption)
{
    QString error;
    auto options = PageExport::ParseArguments({ "--export", "out.png", "note.tsy" }, error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_EQ(options->output_path, "out.png");
    EXPECT_EQ(options->note_path, "note.tsy");
    EXPECT_EQ(options->page, 1);
    EXPECT_EQ(options->size, QSize(800, 600));
    EXPECT_EQ(options->back_level, 255);
    EXPECT_EQ(options->quality, 90);

    options = PageExport::ParseArguments({ "--export", "o.jpg", "--page", "3", "n.tsy", "--size", "1920x1080",
                                             "--back", "0", "--quality", "100" },
        error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_EQ(options->page, 3);
    EXPECT_EQ(options->size, QSize(1920, 1080));
    EXPECT_EQ(options->back_level, 0);
    EXPECT_EQ(options->quality, 100);
    EXPECT_EQ(options->note_path, "n.tsy");
}

TEST(PageExportArgumentsTest, BadArgumentsAreRefusedWithAMessage)
{
    const std::vector<QStringList> rows {
        { "--export" },
        { "--export", "out.png" },
        { "--export", "out.png", "a.tsy", "b.tsy" },
        { "--export", "out.png", "--page", "0", "a.tsy" },
        { "--export", "out.png", "--page", "x", "a.tsy" },
        { "--export", "out.png", "--size", "800", "a.tsy" },
        { "--export", "out.png", "--size", "0x600", "a.tsy" },
        { "--export", "out.png", "--size", "100000x100000", "a.tsy" },
        { "--export", "out.png", "--back", "256", "a.tsy" },
        { "--export", "out.png", "--quality", "-1", "a.tsy" },
        { "--export", "out.png", "--colour", "1", "a.tsy" },
        { "--export", "out.png", "a.tsy", "--page" },
    };
    for (const QStringList& arguments : rows) {
        QString error;
        EXPECT_FALSE(PageExport::ParseArguments(arguments, error)) << arguments.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(error.contains('\n'));
    }
}
