#include "document/UndoHistory.h"

bool UndoHistory::Record(HistoryStep step)
{
    if (const HistoryStep* newest = NewestInEffect(); newest && newest->SameChange(step))
        return false;
    m_steps.erase(m_steps.begin() + (m_current + 1), m_steps.end());
    while (Count() > kMaxSteps - 1)
        m_steps.erase(m_steps.begin());
    m_steps.push_back(std::move(step));
    m_current = Count() - 1;
    return true;
}

void UndoHistory::Clear()
{
    m_steps.clear();
    m_current = -1;
}

HistoryStep* UndoHistory::Undoable()
{
    return CanUndo() ? &m_steps[static_cast<size_t>(m_current)] : nullptr;
}

HistoryStep* UndoHistory::Redoable()
{
    return CanRedo() ? &m_steps[static_cast<size_t>(m_current + 1)] : nullptr;
}

bool UndoHistory::StepBack()
{
    if (!CanUndo())
        return false;
    // An undone change never takes a later one into it when it is redone.
    m_steps[static_cast<size_t>(m_current)].merge_until = {};
    --m_current;
    return true;
}

bool UndoHistory::StepForward()
{
    if (!CanRedo())
        return false;
    ++m_current;
    return true;
}

HistoryStep* UndoHistory::NewestInEffect()
{
    return m_current >= 0 && m_current == Count() - 1 ? &m_steps.back() : nullptr;
}

void UndoHistory::DropNewest()
{
    if (!NewestInEffect())
        return;
    m_steps.pop_back();
    m_current = Count() - 1;
}
