#include "app/BarBinding.h"

#include "app/ActionRegistry.h"
#include "app/ViewState.h"
#include "app/WidgetNames.h"
#include "items/Canvas.h"
#include "items/ItemEvent.h"
#include "platform/UserPrompt.h"
#include "text/ValueForms.h"

#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>

namespace {

// The buttons of the tool bar and the page bar and the commands they stand for.
struct BarButton {
    const QString& name;
    ActionId id;
};
const BarButton kBarButtons[] {
    { BarName::kClearNote, ActionId::NewNote },
    { BarName::kOpenNote, ActionId::OpenNote },
    { BarName::kSaveNote, ActionId::SaveNote },
    { BarName::kSavePage, ActionId::SavePageImage },
    { BarName::kOpenImage, ActionId::OpenImage },
    { BarName::kUndoNote, ActionId::Undo },
    { BarName::kRedoNote, ActionId::Redo },
    { BarName::kClearPage, ActionId::ClearPage },
    { BarName::kAbout, ActionId::About },
    { BarName::kTopPage, ActionId::FirstPage },
    { BarName::kEndPage, ActionId::LastPage },
    { BarName::kPrevPage, ActionId::PreviousPage },
    { BarName::kNextPage, ActionId::NextPage },
};

QString BoolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

int RoundHalfUp(float value)
{
    return static_cast<int>(std::floor(value + 0.5f));
}

// The choices of a box with a list, in order.
QStringList Choices(const Canvas& bar, const QString& name)
{
    QStringList choices;
    QString choice;
    while (bar.GetItemProperty(name, PropertyName::kText + QString::number(choices.size()), choice) && !choice.isEmpty())
        choices << choice;
    return choices;
}

// The list with the number among its numbers, in order; other entries keep their places.
QStringList WithNumber(QStringList choices, int number)
{
    const QString text = QString::number(number);
    if (choices.contains(text))
        return choices;
    auto place = std::find_if(choices.begin(), choices.end(), [number](const QString& choice) {
        bool is_number = false;
        const int value = choice.toInt(&is_number);
        return is_number && value > number;
    });
    choices.insert(place, text);
    return choices;
}

}

BarBinding::BarBinding(Canvas& tool_bar, Canvas& page_bar, ViewState& view, ActionRegistry& actions)
    : m_tool_bar(tool_bar)
    , m_page_bar(page_bar)
    , m_view(view)
    , m_actions(actions)
    , m_fit_entry(Choices(page_bar, BarName::kZoom).value(0))
{
    connect(&m_view, &ViewState::ZoomChanged, this, &BarBinding::ShowZoom);
    connect(&m_view, &ViewState::DpiChanged, this, &BarBinding::ShowDpi);
    connect(&m_view, &ViewState::PageSizeChanged, this, &BarBinding::ShowPageSize);
    connect(&m_view, &ViewState::GridChanged, this, &BarBinding::ShowGrid);
    connect(&m_view, &ViewState::LockChanged, this, &BarBinding::ShowLock);
    connect(&m_view, &ViewState::ColoursChanged, this, &BarBinding::ShowColours);
}

void BarBinding::AdoptLayoutValues()
{
    m_view.SetBackgroundLevel(static_cast<int>(KnobValue(BarName::kBackColor, 255)));
    m_view.SetFrameLevel(static_cast<int>(KnobValue(BarName::kFrameColor, 238)));
    const QString divisions = BoxText(m_tool_bar, BarName::kGridSize);
    if (!divisions.isEmpty())
        m_view.SetGridDivisions(ToInt(divisions));
    bool pushed = false;
    m_page_bar.GetItemPropertyBool(BarName::kLockPage, PropertyName::kPushed, pushed);
    m_view.SetLocked(pushed);
}

QString BarBinding::BoxText(const Canvas& bar, const QString& name) const
{
    QString text;
    bar.GetItemProperty(name, PropertyName::kText, text);
    return text;
}

float BarBinding::KnobValue(const QString& name, float fallback) const
{
    float value = fallback;
    m_tool_bar.GetItemPropertyFloat(name, PropertyName::kValue, value);
    return value;
}

void BarBinding::ShowPageCounter(int current, int count)
{
    m_page_bar.UpdateItemProperty(BarName::kThisPage, PropertyName::kText, QString::number(current + 1));
    m_page_bar.UpdateItemProperty(BarName::kMaxPage, PropertyName::kText, QString::number(count));
}

void BarBinding::ShowStatus(const QString& status)
{
    m_page_bar.UpdateItemProperty(BarName::kStatus, PropertyName::kText, status);
}

void BarBinding::ShowProgress(double percent)
{
    m_tool_bar.UpdateItemPropertyFloat(BarName::kProgressBar, PropertyName::kValue, static_cast<float>(percent));
}

void BarBinding::ShowCommandStates()
{
    for (const BarButton& button : kBarButtons) {
        const QString enabled = BoolText(m_actions.IsEnabled(button.id));
        m_tool_bar.UpdateItemProperty(button.name, PropertyName::kEnable, enabled);
        m_page_bar.UpdateItemProperty(button.name, PropertyName::kEnable, enabled);
    }
}

void BarBinding::OfferPageSize(QSize size)
{
    for (const auto& [name, side] : { std::pair { &BarName::kViewerWidth, size.width() }, std::pair { &BarName::kViewerHeight, size.height() } })
        m_page_bar.SetItemProperty(*name, PropertyName::kList, WithNumber(Choices(m_page_bar, *name), side).join(u','));
    ShowPageSize();
}

std::vector<int> BarBinding::ZoomPercents() const
{
    std::vector<int> percents;
    for (const QString& choice : Choices(m_page_bar, BarName::kZoom))
        if (const int percent = ToInt(choice); percent > 0)
            percents.push_back(percent);
    return percents;
}

void BarBinding::ShowZoom()
{
    const QString shown = m_view.FitsZoom() ? m_fit_entry : QString::number(RoundHalfUp(m_view.Zoom() * 100.0f)) + u'%';
    m_page_bar.UpdateItemProperty(BarName::kZoom, PropertyName::kText, shown);
}

void BarBinding::ShowDpi()
{
    m_page_bar.UpdateItemProperty(BarName::kDpi, PropertyName::kText, QString::number(m_view.Dpi()));
}

void BarBinding::ShowPageSize()
{
    m_page_bar.UpdateItemProperty(BarName::kViewerWidth, PropertyName::kText, QString::number(m_view.PageSize().width()));
    m_page_bar.UpdateItemProperty(BarName::kViewerHeight, PropertyName::kText, QString::number(m_view.PageSize().height()));
}

void BarBinding::ShowGrid()
{
    m_tool_bar.UpdateItemProperty(BarName::kGridSize, PropertyName::kText, QString::number(m_view.GridDivisions()));
}

void BarBinding::ShowLock()
{
    m_page_bar.UpdateItemProperty(BarName::kLockPage, PropertyName::kPushed, BoolText(m_view.Locked()));
}

void BarBinding::ShowColours()
{
    if (m_knob_turning)
        return;
    m_tool_bar.UpdateItemPropertyFloat(BarName::kBackColor, PropertyName::kValue, static_cast<float>(m_view.BackgroundLevel()));
    m_tool_bar.UpdateItemPropertyFloat(BarName::kFrameColor, PropertyName::kValue, static_cast<float>(m_view.FrameLevel()));
}

bool BarBinding::HandleEvent(const ItemEvent& event)
{
    switch (event.code) {
    case ItemEvent::kChanged:
        return HandleClick(event.text);
    case ItemEvent::kChangeFinished:
        return HandleCommit(event.text);
    case ItemEvent::kShowMessage:
        Prompt().ShowMessage(event.extra, kPromptCaption.toString(), MessageIcon::Information);
        return true;
    default:
        return false;
    }
}

bool BarBinding::HandleClick(const QString& name)
{
    for (const BarButton& button : kBarButtons) {
        if (name == button.name) {
            m_actions.Trigger(button.id);
            return true;
        }
    }
    // The knobs report each step of a turn; their value is the new grey level.
    const QScopedValueRollback turning(m_knob_turning, true);
    if (name == BarName::kBackColor)
        m_view.SetBackgroundLevel(static_cast<int>(KnobValue(name, m_view.BackgroundLevel())));
    else if (name == BarName::kFrameColor)
        m_view.SetFrameLevel(static_cast<int>(KnobValue(name, m_view.FrameLevel())));
    else if (name == BarName::kLockPage)
        m_actions.Trigger(ActionId::Lock);
    else
        return false;
    return true;
}

bool BarBinding::HandleCommit(const QString& name)
{
    const Canvas& bar = name == BarName::kGridSize ? m_tool_bar : m_page_bar;
    const QString text = BoxText(bar, name);
    // Each box shows the value taken afterwards, also where it stayed as it was.
    if (name == BarName::kThisPage) {
        emit PageNumberEntered(ToInt(text));
    } else if (name == BarName::kViewerWidth || name == BarName::kViewerHeight) {
        if (name == BarName::kViewerWidth)
            emit PageWidthEntered(ToInt(text));
        else
            emit PageHeightEntered(ToInt(text));
        ShowPageSize();
    } else if (name == BarName::kZoom) {
        emit ZoomEntered(text == m_fit_entry ? std::nullopt : std::optional<int>(ToInt(text)));
        ShowZoom();
    } else if (name == BarName::kDpi) {
        emit DpiEntered(ToInt(text));
        ShowDpi();
    } else if (name == BarName::kGridSize) {
        m_view.SetGridDivisions(ToInt(text));
        ShowGrid();
    } else if (name == BarName::kBackColor) {
        emit BackgroundChosen();
    } else {
        return false;
    }
    return true;
}
