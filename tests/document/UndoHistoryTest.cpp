#include "document/UndoHistory.h"

#include <gtest/gtest.h>

namespace {

UndoHistory WithSteps(int count)
{
    UndoHistory history;
    for (int index = 0; index < count; ++index)
        history.Record(0, QString::number(index));
    return history;
}

}

TEST(UndoHistoryTest, OneStepAllowsNeitherUndoNorRedo)
{
    UndoHistory history;
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.Current(), nullptr);
    history.Record(0, QString());
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    ASSERT_NE(history.Current(), nullptr);
    EXPECT_EQ(history.Current()->page, 0);
}

TEST(UndoHistoryTest, KeepsOnlyTheLastTenStates)
{
    UndoHistory history = WithSteps(11);
    EXPECT_EQ(history.Count(), UndoHistory::kMaxSteps);
    int undos = 0;
    while (history.StepBack())
        ++undos;
    EXPECT_EQ(undos, 9);
    EXPECT_EQ(history.Current()->text, QStringLiteral("1")); // state 0 fell out
}

TEST(UndoHistoryTest, NewChangeAfterUndoDropsTheNewerSteps)
{
    UndoHistory history = WithSteps(4);
    ASSERT_TRUE(history.StepBack());
    ASSERT_TRUE(history.StepBack());
    EXPECT_TRUE(history.CanRedo());
    EXPECT_TRUE(history.Record(0, QStringLiteral("new")));
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.Count(), 3);
    ASSERT_TRUE(history.StepBack());
    EXPECT_EQ(history.Current()->text, QStringLiteral("1"));
}

TEST(UndoHistoryTest, IdenticalStepOfTheSamePageCollapses)
{
    UndoHistory history;
    EXPECT_TRUE(history.Record(2, QStringLiteral("a")));
    EXPECT_FALSE(history.Record(2, QStringLiteral("a")));
    EXPECT_EQ(history.Count(), 1);
    // The same text on another page is another state.
    EXPECT_TRUE(history.Record(3, QStringLiteral("a")));
    EXPECT_EQ(history.Count(), 2);
}

TEST(UndoHistoryTest, CollapsingComparesWithTheCurrentStepNotTheNewest)
{
    UndoHistory history = WithSteps(3);
    history.StepBack();
    // Recording the state that is current changes nothing, so redo stays possible.
    EXPECT_FALSE(history.Record(0, QStringLiteral("1")));
    EXPECT_TRUE(history.CanRedo());
    EXPECT_TRUE(history.Record(0, QStringLiteral("2")));
    EXPECT_EQ(history.Count(), 3);
}

TEST(UndoHistoryTest, ClearLeavesNoCurrentStep)
{
    UndoHistory history = WithSteps(5);
    history.Clear();
    EXPECT_TRUE(history.IsEmpty());
    EXPECT_EQ(history.Current(), nullptr);
    EXPECT_FALSE(history.StepBack());
    EXPECT_FALSE(history.StepForward());
    EXPECT_TRUE(history.Record(1, QString()));
    EXPECT_EQ(history.Count(), 1);
}
