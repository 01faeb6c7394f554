#include "platform/QtTranslations.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

TEST(QtTranslationsTest, StandardDialogsSpeakJapanese)
{
    QTranslator* translator = InstallJapaneseQtTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "Qt's Japanese translations are not installed";
    QMessageBox box(QMessageBox::Question, "Tessary", "?", QMessageBox::Yes | QMessageBox::No);
    const QString yes = box.button(QMessageBox::Yes)->text();
    QCoreApplication::removeTranslator(translator);
    delete translator;

    EXPECT_TRUE(yes.contains(QStringLiteral(u"はい"))) << yes.toStdString();
    QMessageBox english(QMessageBox::Question, "Tessary", "?", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(english.button(QMessageBox::Yes)->text().remove('&'), "Yes");
}
