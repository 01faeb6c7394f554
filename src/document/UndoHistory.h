#pragma once

#include "platform/Shell.h"

#include <QSize>
#include <QString>

#include <chrono>
#include <vector>

// What a step of the undo history changed.
enum class StepKind {
    // The text of one page: before and after.
    Edit,
    // An empty page inserted at the index.
    InsertPage,
    // The page at the index removed; before holds its text.
    DeletePage,
};

// One change of the note. Undo puts back what was before it, redo what came after.
struct HistoryStep {
    StepKind kind { StepKind::Edit };
    int page { 0 };
    QString before {};
    QString after {};
    // Files the change moved to the trash; undo brings them back.
    std::vector<TrashedFile> trashed {};
    // Until when a change of the same kind may still be merged into this step (a burst of
    // wheel steps); the default time point merges nothing.
    std::chrono::steady_clock::time_point merge_until {};
    // The note's page size before and after an edit that changed it; invalid sizes when the
    // edit kept it.
    QSize size_before {};
    QSize size_after {};

    bool SameChange(const HistoryStep& other) const
    {
        return kind == other.kind && page == other.page && before == other.before && after == other.after
            && size_before == other.size_before && size_after == other.size_after;
    }
};

// The bounded undo history of a note: the last ten changes, oldest first, and how many of
// them are in effect. Undo takes back the newest change in effect; redo brings back the
// oldest one undone. Recording a change drops every undone one.
class UndoHistory {
public:
    static constexpr int kMaxSteps = 10;

    // Adds a change as the newest one in effect, unless the newest one in effect is the very
    // same change. Returns whether it was added.
    bool Record(HistoryStep step);
    void Clear();

    bool CanUndo() const { return m_current >= 0; }
    bool CanRedo() const { return m_current + 1 < Count(); }
    // The change undo would take back, or null.
    HistoryStep* Undoable();
    // The change redo would bring back, or null.
    HistoryStep* Redoable();
    // Marks the change undo takes back as undone; false when there is none.
    bool StepBack();
    // Marks the change redo brings back as in effect again; false when there is none.
    bool StepForward();

    // The newest change when it is in effect and nothing was undone since: later changes
    // may be merged into it. Null otherwise.
    HistoryStep* NewestInEffect();
    // Drops the newest change when it is in effect (a merged burst that came back to where
    // it started).
    void DropNewest();

    bool IsEmpty() const { return m_steps.empty(); }
    int Count() const { return static_cast<int>(m_steps.size()); }

private:
    std::vector<HistoryStep> m_steps; // oldest first
    int m_current { -1 };             // the newest step in effect; -1 when none is
};
