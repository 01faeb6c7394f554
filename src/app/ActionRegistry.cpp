#include "app/ActionRegistry.h"

#include <QAction>
#include <QWidget>

ActionRegistry::ActionRegistry(QWidget& window)
    : m_window(window)
{
}

ActionRegistry::~ActionRegistry()
{
    for (auto& [id, entry] : m_entries)
        m_window.removeAction(entry.action);
}

void ActionRegistry::Add(Definition definition)
{
    auto* action = new QAction(definition.caption, this);
    action->setShortcuts(definition.keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setAutoRepeat(definition.repeats);
    action->setCheckable(static_cast<bool>(definition.checked));
    const ActionId id = definition.id;
    // The action's own check mark is the rule's business: a click shows the rule's answer.
    connect(action, &QAction::triggered, this, [this, id] {
        Trigger(id);
        Refresh();
    });
    if (!definition.keys.isEmpty())
        m_window.addAction(action);
    m_entries[id] = Entry { std::move(definition), action };
}

const ActionRegistry::Entry* ActionRegistry::Find(ActionId id) const
{
    const auto found = m_entries.find(id);
    return found == m_entries.end() ? nullptr : &found->second;
}

bool ActionRegistry::Trigger(ActionId id)
{
    const Entry* entry = Find(id);
    if (!entry)
        return false;
    if (m_before)
        m_before();
    if (!IsEnabled(id))
        return false;
    // A copy: the command may replace what it was called from.
    const std::function<void()> run = entry->definition.run;
    run();
    if (m_after)
        m_after();
    return true;
}

bool ActionRegistry::IsEnabled(ActionId id) const
{
    const Entry* entry = Find(id);
    return entry && (!entry->definition.enabled || entry->definition.enabled());
}

bool ActionRegistry::IsChecked(ActionId id) const
{
    const Entry* entry = Find(id);
    return entry && entry->definition.checked && entry->definition.checked();
}

QAction* ActionRegistry::Action(ActionId id) const
{
    const Entry* entry = Find(id);
    return entry ? entry->action : nullptr;
}

void ActionRegistry::Refresh()
{
    for (auto& [id, entry] : m_entries) {
        entry.action->setEnabled(IsEnabled(id));
        if (entry.definition.checked)
            entry.action->setChecked(entry.definition.checked());
    }
}
