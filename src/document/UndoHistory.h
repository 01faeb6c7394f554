#pragma once

#include <QString>
#include <vector>

// One recorded state: the complete text of one page.
struct HistoryStep {
    int page { 0 };
    QString text;
};

// The bounded undo history of a note. Every step is a copy of one page's text with its index;
// one step is the current one (none only right after Clear). Stepping back and forth only
// moves the current step; recording drops every step newer than the current one.
class UndoHistory {
public:
    static constexpr int kMaxSteps = 10;

    // Adds a step as the newest and makes it current, unless the current step already holds
    // exactly this page and text. Returns whether a step was added.
    bool Record(int page, const QString& text);
    void Clear();

    // An older step than the current one exists.
    bool CanUndo() const;
    // A newer step than the current one exists.
    bool CanRedo() const;
    // Makes the next older / newer step current; false when there is none.
    bool StepBack();
    bool StepForward();

    // The current step, or null when there is none.
    const HistoryStep* Current() const;
    bool IsEmpty() const { return m_steps.empty(); }
    bool IsCurrentNewest() const;
    int Count() const { return static_cast<int>(m_steps.size()); }

private:
    std::vector<HistoryStep> m_steps; // oldest first
    int m_current { -1 };
};
