#include "items/ScriptedLayoutDialogs.h"

#include "items/Item.h"
#include "items/ItemEvent.h"

bool ScriptedDialog::Change(const QString& name, const QString& key, const QString& value)
{
    if (!GetCanvas().FindItem(name))
        return false;
    // An unchanged value is reported too, as a widget reports every edit.
    GetCanvas().UpdateItemProperty(name, key, value);
    return Send(name, ItemEvent::kChanged);
}

bool ScriptedDialog::Send(const QString& name, int code)
{
    Item* item = GetCanvas().FindItem(name);
    ItemEvent event;
    event.text = name;
    event.key = item ? item->Key() : name;
    event.code = code;
    return GetCanvas().TakeItemEvent(event);
}

bool ScriptedDialog::PressKey(Key key, bool shift)
{
    Message message;
    message.kind = MessageKind::KeyDown;
    message.key = key;
    message.shift = shift;
    return GetCanvas().RouteMessage(message);
}

QString ScriptedDialog::Focused() const
{
    const Item* active = m_dialog.GetCanvas().ActiveItem();
    return active ? active->Name() : QString();
}

QString ScriptedDialog::Property(const QString& name, const QString& key) const
{
    QString value;
    m_dialog.GetCanvas().GetItemProperty(name, key, value);
    return value;
}

bool ScriptedLayoutDialogs::RunModal(const LayoutDialogRequest& request)
{
    m_requests.push_back(request);
    LayoutDialog dialog(request);
    if (!dialog.Load()) {
        m_failures.push_back(LayoutDialog::FailureMessage());
        return false;
    }
    dialog.GetCanvas().ResizeBackBuffer(request.size.width(), request.size.height());
    dialog.Opened();
    if (!m_scripts.empty()) {
        Script script = std::move(m_scripts.front());
        m_scripts.pop_front();
        ScriptedDialog driver(dialog);
        script(driver);
    }
    if (!dialog.HasEnded())
        dialog.Close();
    dialog.ReadResults();
    return dialog.Result();
}
