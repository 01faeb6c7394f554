#include "document/UndoHistory.h"

bool UndoHistory::Record(int page, const QString& text)
{
    if (const HistoryStep* current = Current(); current && current->page == page && current->text == text)
        return false;
    m_steps.erase(m_steps.begin() + (m_current + 1), m_steps.end());
    while (Count() > kMaxSteps - 1)
        m_steps.erase(m_steps.begin());
    m_steps.push_back(HistoryStep { page, text });
    m_current = Count() - 1;
    return true;
}

void UndoHistory::Clear()
{
    m_steps.clear();
    m_current = -1;
}

bool UndoHistory::CanUndo() const
{
    return m_current > 0;
}

bool UndoHistory::CanRedo() const
{
    return !m_steps.empty() && m_current < Count() - 1;
}

bool UndoHistory::StepBack()
{
    if (!CanUndo())
        return false;
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

const HistoryStep* UndoHistory::Current() const
{
    if (m_current < 0 || m_current >= Count())
        return nullptr;
    return &m_steps[static_cast<size_t>(m_current)];
}

bool UndoHistory::IsCurrentNewest() const
{
    return m_current == Count() - 1;
}
