#pragma once

#include "app/MainWindow.h"
#include "app/WindowedLayoutDialogs.h"

#include "items/Canvas.h"
#include "items/NoteItem.h"
#include "items/DecodeWait.h"
#include "platform/ScriptedUserPrompt.h"
#include "TestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

// A shown main window with a scripted prompt, a folder for pictures and notes, and helpers
// that click and type into the bars' widgets by name.
namespace {

QPoint CentreOf(CanvasWidget& widget, const QString& name)
{
    const Item* item = widget.GetCanvas().FindItem(name);
    EXPECT_NE(item, nullptr) << name.toStdString();
    return item ? widget.GetCanvas().ToDevice(item->GetBounds()).center().toPoint() : QPoint();
}

void ClickAt(QWidget& widget, QPoint point)
{
    QTest::mouseMove(&widget, point);
    QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier, point);
}

void Click(CanvasWidget& widget, const QString& name)
{
    ClickAt(widget, CentreOf(widget, name));
}

QString TextOf(CanvasWidget& widget, const QString& name)
{
    QString text;
    widget.GetCanvas().GetItemProperty(name, QStringLiteral("Text"), text);
    return text;
}

bool IsEnabled(CanvasWidget& widget, const QString& name)
{
    bool enabled = false;
    widget.GetCanvas().GetItemPropertyBool(name, QStringLiteral("Enable"), enabled);
    return enabled;
}

// Clicks an edit box, replaces its text by typing and commits it with Return.
void TypeInto(CanvasWidget& widget, const QString& name, const QString& typed)
{
    const Item* item = widget.GetCanvas().FindItem(name);
    ASSERT_NE(item, nullptr);
    // The left part of the box: a box with a list has its drop-down button at the right end.
    const QRectF bounds = widget.GetCanvas().ToDevice(item->GetBounds());
    ClickAt(widget, QPoint(static_cast<int>(bounds.left() + 8), static_cast<int>(bounds.center().y())));
    // An edit of an earlier field may still wait for its deletion, hidden.
    QLineEdit* edit = nullptr;
    for (QLineEdit* candidate : widget.findChildren<QLineEdit*>())
        if (candidate->isVisible())
            edit = candidate;
    ASSERT_NE(edit, nullptr) << "no edit for " << name.toStdString();
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        // Every window starts as the first one on the machine: no kept size, place or page size.
        TestSupport::ForgetKeptSettings();
        m_prompt = &ScriptedUserPrompt::Install();
        m_window = std::make_unique<MainWindow>();
        // Dialogs open in real windows, as in the program.
        WindowedLayoutDialogs::Install(m_window.get());
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }
    ~MainWindowTest() override
    {
        SetDialogs(nullptr);
        m_window.reset();
    }

    // Writes a photograph-like picture and returns its path.
    QString MakeImage(const QString& name, QSize size = QSize(640, 480), QColor colour = Qt::darkGreen)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = m_folder.filePath(name);
        EXPECT_TRUE(image.save(path));
        return path;
    }
    QStringList MakeImages(int count)
    {
        QStringList paths;
        for (int index = 0; index < count; ++index)
            paths << MakeImage(QStringLiteral("photo%1.png").arg(index + 1));
        return paths;
    }
    int NoteItemsShown() { return int(NoteItemsOf(m_window->PageCanvas()).size()); }
    // The colour the window shows at a point of the page, once its pictures have arrived.
    QColor PagePixel(QPointF page_point)
    {
        WaitForDecodes();
        PageCanvasWidget& view = m_window->PageWidget();
        const QPoint device = view.GetCanvas().ToDevice(page_point).toPoint();
        const QImage shot = m_window->grab().toImage();
        return shot.pixelColor(view.mapTo(m_window.get(), device) * shot.devicePixelRatio());
    }

    QTemporaryDir m_folder;
    ScriptedUserPrompt* m_prompt { nullptr };
    std::unique_ptr<MainWindow> m_window;
};

}
