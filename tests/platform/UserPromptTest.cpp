#include "platform/QtUserPrompt.h"
#include "platform/ScriptedUserPrompt.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using Kind = ScriptedUserPrompt::Kind;

class UserPromptTest : public ::testing::Test {
protected:
    void TearDown() override { SetPrompt(nullptr); }
};

TEST_F(UserPromptTest, ScriptedPromptAnswersFromItsQueuesAndRecordsInOrder)
{
    ScriptedUserPrompt& scripted = ScriptedUserPrompt::Install();
    ASSERT_EQ(&Prompt(), &scripted);
    scripted.QueueYesNo(true);
    scripted.QueueOpenFile(QStringLiteral("/pictures/a.jpg"));
    scripted.QueueSaveFile(std::nullopt);
    scripted.QueueColor(0xFF102030u);
    scripted.QueueMenuChoice(7);

    Prompt().ShowMessage(QStringLiteral("saved"), kPromptCaption.toString(), MessageIcon::Information);
    EXPECT_TRUE(Prompt().AskYesNo(QStringLiteral(u"ノートを消去しますか?"), kPromptCaption.toString()));
    const FileDialogRequest open_request { QStringLiteral("JPEG|*.jpg||"), QStringLiteral("jpg"), QStringLiteral("/pictures/b.jpg"), QString() };
    EXPECT_EQ(Prompt().AskOpenFile(open_request), QStringLiteral("/pictures/a.jpg"));
    EXPECT_EQ(Prompt().AskSaveFile(FileDialogRequest {}), std::nullopt);
    EXPECT_EQ(Prompt().AskColor(0xFFFFFFFFu), 0xFF102030u);
    PopupMenu menu;
    menu.entries.push_back({ .text = QStringLiteral("Copy"), .id = 7 });
    EXPECT_EQ(Prompt().ShowPopupMenu(menu, QPoint(10, 20)), 7);

    const auto& asked = scripted.Requests();
    ASSERT_EQ(asked.size(), 6u);
    EXPECT_EQ(asked[0].kind, Kind::Message);
    EXPECT_EQ(asked[0].text, QStringLiteral("saved"));
    EXPECT_EQ(asked[0].caption, QStringLiteral("Tessary"));
    EXPECT_EQ(asked[0].icon, MessageIcon::Information);
    EXPECT_EQ(asked[1].kind, Kind::YesNo);
    EXPECT_EQ(asked[1].text, QStringLiteral(u"ノートを消去しますか?"));
    EXPECT_EQ(asked[2].kind, Kind::OpenFile);
    EXPECT_EQ(asked[2].file.filter, open_request.filter);
    EXPECT_EQ(asked[2].file.initial_path, open_request.initial_path);
    EXPECT_EQ(asked[3].kind, Kind::SaveFile);
    EXPECT_EQ(asked[4].kind, Kind::Color);
    EXPECT_EQ(asked[4].initial_color, 0xFFFFFFFFu);
    EXPECT_EQ(asked[5].kind, Kind::PopupMenu);
    ASSERT_EQ(asked[5].menu.entries.size(), 1u);
    EXPECT_EQ(asked[5].menu.entries[0].text, QStringLiteral("Copy"));
    EXPECT_EQ(asked[5].position, QPoint(10, 20));
}

TEST_F(UserPromptTest, EmptyQueuesAnswerNoAndCancel)
{
    ScriptedUserPrompt& scripted = ScriptedUserPrompt::Install();
    EXPECT_FALSE(Prompt().AskYesNo(QStringLiteral("?"), kPromptCaption.toString()));
    EXPECT_EQ(Prompt().AskOpenFile({}), std::nullopt);
    EXPECT_EQ(Prompt().AskSaveFile({}), std::nullopt);
    EXPECT_EQ(Prompt().AskColor(0), std::nullopt);
    EXPECT_EQ(Prompt().ShowPopupMenu({}, QPoint()), std::nullopt);
    EXPECT_EQ(scripted.Requests().size(), 5u);

    // Answers are used once each, in the order queued.
    scripted.QueueYesNo(true);
    scripted.QueueYesNo(false);
    EXPECT_TRUE(Prompt().AskYesNo(QString(), QString()));
    EXPECT_FALSE(Prompt().AskYesNo(QString(), QString()));
    EXPECT_FALSE(Prompt().AskYesNo(QString(), QString()));
}

TEST_F(UserPromptTest, ScriptedThreeWayQuestionAnswersInOrderThenCancels)
{
    ScriptedUserPrompt& scripted = ScriptedUserPrompt::Install();
    scripted.QueueAnswer(Answer::No);
    scripted.QueueAnswer(Answer::Yes);
    EXPECT_EQ(Prompt().AskYesNoCancel(QStringLiteral(u"変更を保存しますか?"), kPromptCaption.toString()), Answer::No);
    EXPECT_EQ(Prompt().AskYesNoCancel(QString(), QString()), Answer::Yes);
    EXPECT_EQ(Prompt().AskYesNoCancel(QString(), QString()), Answer::Cancel);
    ASSERT_EQ(scripted.Requests().size(), 3u);
    EXPECT_EQ(scripted.Requests()[0].kind, Kind::YesNoCancel);
    EXPECT_EQ(scripted.Requests()[0].text, QStringLiteral(u"変更を保存しますか?"));
    EXPECT_EQ(scripted.Requests()[0].caption, QStringLiteral("Tessary"));
}

TEST(QtUserPromptThreeWayTest, ButtonsAndEscapeGiveTheirAnswers)
{
    struct Row {
        std::optional<QMessageBox::StandardButton> button; // none: Escape
        Answer expected;
    };
    const Row rows[] = {
        { QMessageBox::Yes, Answer::Yes },
        { QMessageBox::No, Answer::No },
        { QMessageBox::Cancel, Answer::Cancel },
        { std::nullopt, Answer::Cancel },
    };
    for (const Row& row : rows) {
        QString shown_text;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shown_text = box->text();
            if (row.button)
                box->button(*row.button)->click();
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
        QtUserPrompt prompt;
        EXPECT_EQ(prompt.AskYesNoCancel(QStringLiteral(u"変更を保存しますか?"), QStringLiteral("Tessary")), row.expected);
        EXPECT_EQ(shown_text, QStringLiteral(u"変更を保存しますか?"));
    }
}

namespace {

ChoiceQuestion ThreeButtons()
{
    ChoiceQuestion question;
    question.text = QStringLiteral(u"「note.tsy」は変更されています。");
    question.caption = QStringLiteral("Tessary");
    question.buttons = { QStringLiteral(u"上書き"), QStringLiteral(u"名前を付けて保存"), QStringLiteral(u"キャンセル") };
    return question;
}

}

TEST_F(UserPromptTest, ScriptedChoiceAnswersInOrderThenTakesTheWayOut)
{
    ScriptedUserPrompt& scripted = ScriptedUserPrompt::Install();
    scripted.QueueChoice(1);
    scripted.QueueChoice(0);
    EXPECT_EQ(Prompt().AskChoice(ThreeButtons()), 1);
    EXPECT_EQ(Prompt().AskChoice(ThreeButtons()), 0);
    EXPECT_EQ(Prompt().AskChoice(ThreeButtons()), 2);
    ASSERT_EQ(scripted.Requests().size(), 3u);
    EXPECT_EQ(scripted.Requests()[0].kind, Kind::Choice);
    EXPECT_EQ(scripted.Requests()[0].text, ThreeButtons().text);
    EXPECT_EQ(scripted.Requests()[0].caption, QStringLiteral("Tessary"));
    EXPECT_EQ(scripted.Requests()[0].buttons, ThreeButtons().buttons);
}

TEST(QtUserPromptChoiceTest, EachButtonEscapeAndReturnGiveTheirAnswers)
{
    enum class Press { Button, Escape, Return };
    struct Row {
        Press press;
        int button; // the button clicked, or the default one for Return
        int expected;
    };
    const Row rows[] = {
        { Press::Button, 0, 0 },
        { Press::Button, 1, 1 },
        { Press::Button, 2, 2 },
        { Press::Escape, 0, 2 },
        { Press::Return, 0, 0 },
        { Press::Return, 1, 1 },
    };
    for (const Row& row : rows) {
        QStringList shown;
        ChoiceQuestion question = ThreeButtons();
        question.default_button = row.press == Press::Return ? row.button : 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shown << box->windowTitle() << box->text();
            QAbstractButton* wanted = nullptr;
            for (QAbstractButton* button : box->buttons())
                if (button->text() == question.buttons[size_t(row.button)])
                    wanted = button;
            ASSERT_NE(wanted, nullptr);
            if (row.press == Press::Button)
                wanted->click();
            else
                QTest::keyClick(box, row.press == Press::Escape ? Qt::Key_Escape : Qt::Key_Return);
        });
        QtUserPrompt prompt;
        EXPECT_EQ(prompt.AskChoice(question), row.expected) << int(row.press) << " " << row.button;
        EXPECT_EQ(shown, (QStringList { QStringLiteral("Tessary"), question.text }));
    }
}

TEST_F(UserPromptTest, ResettingThePromptBringsBackTheQtOne)
{
    ScriptedUserPrompt::Install();
    SetPrompt(nullptr);
    EXPECT_NE(dynamic_cast<QtUserPrompt*>(&Prompt()), nullptr);
}

TEST(QtUserPromptTest, ConvertsBarSeparatedFilters)
{
    struct Row {
        QString filter;
        QString expected;
    };
    const Row rows[] = {
        { QStringLiteral("JPEG|*.jpg|GIF|*.gif|PNG|*.png|BMP|*.bmp|TIFF|*.tif||"),
            QStringLiteral("JPEG (*.jpg);;GIF (*.gif);;PNG (*.png);;BMP (*.bmp);;TIFF (*.tif)") },
        // A description that already shows its pattern is kept as it is.
        { QStringLiteral(u"Tessary ノートファイル(*.tsy)|*.tsy||"), QStringLiteral(u"Tessary ノートファイル(*.tsy)") },
        { QStringLiteral("Images|*.jpg;*.png||"), QStringLiteral("Images (*.jpg *.png)") },
        // Without the closing "||" every complete pair still counts; a dangling description does not.
        { QStringLiteral("JPEG|*.jpg"), QStringLiteral("JPEG (*.jpg)") },
        { QStringLiteral("JPEG|*.jpg|GIF"), QStringLiteral("JPEG (*.jpg)") },
        { QStringLiteral("JPEG|*.jpg||GIF|*.gif||"), QStringLiteral("JPEG (*.jpg)") },
        { QString(), QString() },
    };
    for (const Row& row : rows)
        EXPECT_EQ(QtUserPrompt::ConvertFilter(row.filter), row.expected) << row.filter.toStdString();
}

TEST(QtUserPromptTest, BuildsMenusWithIdsChecksSeparatorsAndSubmenus)
{
    PopupMenu menu;
    menu.entries.push_back({ .text = QStringLiteral("1"), .id = 10, .checked = true });
    menu.entries.push_back({ .text = QStringLiteral("\t"), .id = 11 });
    menu.entries.push_back({ .separator = true });
    menu.entries.push_back({ .text = QStringLiteral("Off"), .id = 12, .disabled = true });
    PopupMenuEntry sub { .text = QStringLiteral("More") };
    sub.submenu.push_back({ .text = QStringLiteral("Deep"), .id = 20 });
    menu.entries.push_back(sub);

    const std::unique_ptr<QMenu> built = QtUserPrompt::BuildMenu(menu, nullptr);
    const QList<QAction*> actions = built->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("1"));
    EXPECT_EQ(actions[0]->data().toInt(), 10);
    EXPECT_TRUE(actions[0]->isCheckable());
    EXPECT_TRUE(actions[0]->isChecked());
    EXPECT_FALSE(actions[1]->isCheckable());
    EXPECT_EQ(actions[1]->data().toInt(), 11);
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_FALSE(actions[3]->isEnabled());
    EXPECT_EQ(actions[3]->data().toInt(), 12);
    ASSERT_NE(actions[4]->menu(), nullptr);
    EXPECT_EQ(actions[4]->text(), QStringLiteral("More"));
    const QList<QAction*> deep = actions[4]->menu()->actions();
    ASSERT_EQ(deep.size(), 1);
    EXPECT_EQ(deep[0]->data().toInt(), 20);
}

}

TEST(QtUserPromptTest, FileDialogsOpenInTheNamedFolderOrThePicturesFolder)
{
    QTemporaryDir root;
    for (const char* folder : { "notes", "program", "Pictures", "home" })
        ASSERT_TRUE(QDir(root.path()).mkdir(folder));
    const auto at = [&](const QString& name) { return QDir::cleanPath(root.filePath(name)); };
    QtUserPrompt::DialogFolders folders { at("program") + "/", at("program") + "/", at("Pictures"), at("home") };
    QtUserPrompt::DialogFolders note_open = folders;
    note_open.working = at("notes") + "/";
    QtUserPrompt::DialogFolders no_pictures = folders;
    no_pictures.pictures = at("missing");

    struct Row {
        QString initial_path;
        QtUserPrompt::DialogFolders folders;
        QString expected;
    };
    const Row rows[] = {
        { at("notes/page.tsy"), folders, at("notes") },
        { at("notes") + "/", folders, at("notes") },
        { root.path() + "\\notes\\photo.jpg", folders, at("notes") },
        // Relative names resolve against the working folder, the note's while one is open.
        { "NewFile", note_open, at("notes") },
        { "NewFile", folders, at("Pictures") },
        { "", note_open, at("Pictures") },
        { at("program/NewFile"), folders, at("Pictures") },
        { at("gone/page.tsy"), folders, at("Pictures") },
        { "NewFile", no_pictures, at("home") },
    };
    for (const Row& row : rows)
        EXPECT_EQ(QtUserPrompt::StartFolder(row.initial_path, row.folders), row.expected) << row.initial_path.toStdString();
}

// A name typed without an extension gets the one of the format chosen in the save dialog,
// not the one the dialog opened with.
TEST(QtUserPromptTest, SaveDialogAddsTheExtensionOfTheChosenFormat)
{
    QTemporaryDir folder;
    struct Row {
        int filter_steps; // Down presses in the format list
        const char* typed;
        const char* expected;
    };
    const Row rows[] = {
        { 0, "picture", "picture.png" },
        { 2, "picture", "picture.gif" },
        { 1, "photo.jpeg", "photo.jpeg" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto* formats = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(formats, nullptr);
            ASSERT_NE(name, nullptr);
            for (int step = 0; step < row.filter_steps; ++step)
                QTest::keyClick(formats, Qt::Key_Down);
            name->clear();
            QTest::keyClicks(name, QString::fromLatin1(row.typed));
            QTest::keyClick(name, Qt::Key_Return);
        });
        FileDialogRequest request;
        request.filter = QStringLiteral("PNG|*.png|JPEG|*.jpg|GIF|*.gif||");
        request.default_extension = QStringLiteral("png");
        request.initial_path = folder.filePath(QStringLiteral("NewFile"));
        QtUserPrompt prompt;
        EXPECT_EQ(prompt.AskSaveFile(request), folder.filePath(QString::fromLatin1(row.expected)));
    }
    EXPECT_EQ(QtUserPrompt::FilterExtension(QStringLiteral("TIFF (*.tif)")), QStringLiteral("tif"));
    EXPECT_EQ(QtUserPrompt::FilterExtension(QStringLiteral("画像ファイル (*.jpg *.gif)")), QStringLiteral("jpg"));
    EXPECT_EQ(QtUserPrompt::FilterExtension(QStringLiteral("すべてのファイル (*.*)")), QString());
    EXPECT_EQ(QtUserPrompt::FilterExtension(QStringLiteral("(*)")), QString());
}
