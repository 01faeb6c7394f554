#include "../tests/widgets/InputTestHarness.h"

#include "noteitems/ItemFactories.h"
#include "platform/ScriptedUserPrompt.h"

#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

namespace {

QGuiApplication& Application()
{
    static int argc = 1;
    static char name[] = "WidgetInputFuzz";
    static char* argv[] = { name, nullptr };
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(argc, argv);
    return application;
}

// One of every interactive widget, overlapping in places, some of them small or odd.
const QString kLayout = QStringLiteral(
    "[Button]\r\nName=B\r\nPos=L0,T0,W40,H20\r\nText=OK\r\nFaceColor=0xffff0000,DefaultFaceColor\r\nRound=4,4,4,4\r\nOption=Edge\r\n"
    "[CheckBox]\r\nName=C\r\nPos=L30,T10,W60,H16\r\nText=Check\r\n"
    "[RadioButtons]\r\nName=R\r\nPos=L0,T30,W90,H40\r\nRadioButton1=L0,T30,W40,H14,a,true\r\nRadioButton2=L0,T46,W40,H14,b\r\n"
    "[Knob]\r\nName=K\r\nPos=L50,T30,W0,H0\r\nMin=10\r\nMax=0\r\n"
    "[Knob]\r\nName=K2\r\nPos=L50,T30,W30,H30\r\nMax=255\r\n"
    "[Slider]\r\nName=S\r\nPos=L0,T60,W90,H12\r\n"
    "[Slider]\r\nName=V\r\nPos=L80,T0,W8,H8\r\nMin=5\r\nMax=5\r\n"
    "[ProgressBar]\r\nName=P\r\nPos=L0,T74,W90,H6\r\nPlaySize=50\r\n"
    "[Edit]\r\nName=E\r\nPos=L60,T0,W30,H20\r\nOption=MultiLine\r\n"
    "[EditableText]\r\nName=T\r\nPos=L0,T80,W60,H14\r\nText=1\r\nOption=Edge,Number\r\n"
    "[EditableTextWithMenu]\r\nName=M\r\nPos=L20,T50,W70,H14\r\nList=1,,4\r\nText=4\r\nOption=Edge\r\n");

constexpr MessageKind kKinds[] = {
    MessageKind::MouseMove, MessageKind::LButtonDown, MessageKind::LButtonUp, MessageKind::LButtonDblClk,
    MessageKind::MouseWheel, MessageKind::KeyDown, MessageKind::KeyUp, MessageKind::KillFocus, MessageKind::EditChanged,
};
const char* const kNames[] = { "B", "C", "R", "K", "K2", "S", "V", "P", "E", "T", "M" };
const char* const kKeys[] = { "Value", "Text", "Enable", "Visible", "Pushed", "SelectedIndex", "Index", "List", "EditVisible", "FaceColor" };
const char* const kValues[] = { "true", "false", "-1", "300", "1e30", "nan", "\"a,b\",", "", "2" };

}

// Any sequence of pointer, wheel and key messages and by-name property changes, sent to a
// canvas holding every interactive widget, runs without fault. Every five bytes make one step.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Application();
    static ScriptedUserPrompt& prompt = ScriptedUserPrompt::Install();
    InputTest::Harness harness(QSize(96, 96));
    SectionDocument document;
    ParseSectionText(kLayout, document);
    for (int index = 0; index < document.Count(); ++index)
        ItemFactories::AddFromSection(harness.canvas, document.Name(index), document.Store(index));
    harness.canvas.RenderVisibleArea(OpaqueShortcut::On);

    for (size_t at = 0; at + 5 <= size && at < 5 * 400; at += 5) {
        const uint8_t* step = data + at;
        if (step[0] >= 240) {
            const QString name = QLatin1String(kNames[step[1] % std::size(kNames)]);
            harness.canvas.UpdateItemProperty(name, QLatin1String(kKeys[step[2] % std::size(kKeys)]),
                QLatin1String(kValues[step[3] % std::size(kValues)]));
            continue;
        }
        prompt.QueueMenuChoice(step[4] % 5);
        Message message = InputTest::Mouse(kKinds[step[0] % std::size(kKinds)], QPoint(step[1] % 100, step[2] % 100),
            step[3] & 1, step[3] & 2);
        message.wheel_delta = (int(step[4]) - 128) * 10;
        message.key = static_cast<Key>(step[3] >> 2 == 3 ? int(Key::Return) : step[4] % 128);
        harness.Send(message);
        if (step[3] & 0x80)
            harness.canvas.Present(PresentScope::All, UpdateTiming::Now);
    }
    harness.Render();
    return 0;
}
