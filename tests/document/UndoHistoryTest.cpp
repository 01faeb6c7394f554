#include "document/UndoHistory.h"

#include <gtest/gtest.h>

namespace {

HistoryStep Edit(int page, const QString& before, const QString& after)
{
    return HistoryStep { StepKind::Edit, page, before, after };
}

// Changes 0 -> 1 -> 2 ... on page 0.
UndoHistory WithSteps(int count)
{
    UndoHistory history;
    for (int index = 0; index < count; ++index)
        history.Record(Edit(0, QString::number(index), QString::number(index + 1)));
    return history;
}

}

TEST(UndoHistoryTest, AnEmptyHistoryAllowsNeitherUndoNorRedo)
{
    UndoHistory history;
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.Undoable(), nullptr);
    EXPECT_EQ(history.Redoable(), nullptr);
    history.Record(Edit(0, QString(), QStringLiteral("a")));
    EXPECT_TRUE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    ASSERT_NE(history.Undoable(), nullptr);
    EXPECT_EQ(history.Undoable()->before, QString());
}

TEST(UndoHistoryTest, KeepsTheLastTenChanges)
{
    UndoHistory history = WithSteps(11);
    EXPECT_EQ(history.Count(), UndoHistory::kMaxSteps);
    QString oldest;
    int undos = 0;
    while (history.CanUndo()) {
        oldest = history.Undoable()->before;
        history.StepBack();
        ++undos;
    }
    EXPECT_EQ(undos, 10);
    EXPECT_EQ(oldest, QStringLiteral("1")); // the change 0 -> 1 fell out
    EXPECT_FALSE(history.StepBack());
    // Redo comes back through them in order.
    ASSERT_NE(history.Redoable(), nullptr);
    EXPECT_EQ(history.Redoable()->after, QStringLiteral("2"));
}

TEST(UndoHistoryTest, NewChangeAfterUndoDropsTheUndoneOnes)
{
    UndoHistory history = WithSteps(4);
    ASSERT_TRUE(history.StepBack());
    ASSERT_TRUE(history.StepBack());
    EXPECT_TRUE(history.CanRedo());
    EXPECT_TRUE(history.Record(Edit(0, QStringLiteral("2"), QStringLiteral("new"))));
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.Count(), 3);
    EXPECT_EQ(history.Undoable()->after, QStringLiteral("new"));
    ASSERT_TRUE(history.StepBack());
    EXPECT_EQ(history.Undoable()->after, QStringLiteral("2"));
}

TEST(UndoHistoryTest, TheSameChangeTwiceInARowIsOneStep)
{
    UndoHistory history;
    EXPECT_TRUE(history.Record(Edit(2, QStringLiteral("a"), QStringLiteral("b"))));
    EXPECT_FALSE(history.Record(Edit(2, QStringLiteral("a"), QStringLiteral("b"))));
    EXPECT_EQ(history.Count(), 1);
    // The same texts on another page, or another kind of step, are other changes.
    EXPECT_TRUE(history.Record(Edit(3, QStringLiteral("a"), QStringLiteral("b"))));
    EXPECT_TRUE(history.Record(HistoryStep { StepKind::InsertPage, 3 }));
    EXPECT_EQ(history.Count(), 3);
}

TEST(UndoHistoryTest, OnlyTheNewestChangeInEffectTakesMore)
{
    UndoHistory history = WithSteps(3);
    ASSERT_NE(history.NewestInEffect(), nullptr);
    history.NewestInEffect()->merge_until = std::chrono::steady_clock::now() + std::chrono::hours(1);
    history.StepBack();
    EXPECT_EQ(history.NewestInEffect(), nullptr);
    history.StepForward();
    // Undone once, a burst is over, also when it is redone.
    ASSERT_NE(history.NewestInEffect(), nullptr);
    EXPECT_EQ(history.NewestInEffect()->merge_until, std::chrono::steady_clock::time_point {});
    history.DropNewest();
    EXPECT_EQ(history.Count(), 2);
    EXPECT_EQ(history.Undoable()->after, QStringLiteral("2"));
}

TEST(UndoHistoryTest, ClearLeavesNothing)
{
    UndoHistory history = WithSteps(5);
    history.Clear();
    EXPECT_TRUE(history.IsEmpty());
    EXPECT_FALSE(history.StepBack());
    EXPECT_FALSE(history.StepForward());
    EXPECT_TRUE(history.Record(Edit(1, QString(), QStringLiteral("x"))));
    EXPECT_EQ(history.Count(), 1);
}
