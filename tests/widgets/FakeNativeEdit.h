#pragma once

#include "widgets/NativeEdit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

// A native edit window for tests: it keeps its text, place and selection, reports text
// changes to its item the way the real one does, and lets a test type, press keys and take
// the focus away as a user would.
class FakeNativeEdit : public NativeEdit {
public:
    FakeNativeEdit(const Style& style, Listener& listener)
        : style(style)
        , m_listener(listener)
    {
        Live().push_back(this);
        ++Created();
    }
    ~FakeNativeEdit() override { std::erase(Live(), this); }

    QString Text() const override { return text; }
    void SetText(const QString& new_text) override
    {
        if (new_text == text)
            return;
        text = new_text;
        Report(MessageKind::EditChanged);
    }
    void SetFont(const QFont& new_font) override { font = new_font; }
    QRect Geometry() const override { return geometry; }
    void SetGeometry(const QRect& rect) override { geometry = rect; }
    void Focus() override { focused = true; }
    void Select(int start, int end) override { selection = { start, end < 0 ? int(text.size()) : end }; }
    std::pair<int, int> Selection() const override { return selection; }
    void ScrollToLastLine() override { scrolled_to_end = true; }
    void ClickAt(QPoint client_point) override { clicks.push_back(client_point); }

    // The user's side. Each returns whether an item consumed what it sent; the window may be
    // gone afterwards.
    void Type(const QString& typed) { SetText(text + typed); }
    bool PressKey(Key key, bool ctrl = false)
    {
        Message message;
        message.kind = MessageKind::KeyDown;
        message.key = key;
        message.ctrl = ctrl;
        return Send(message);
    }
    bool LoseFocus() { return Report(MessageKind::KillFocus); }

    static std::vector<FakeNativeEdit*>& Live()
    {
        static std::vector<FakeNativeEdit*> live;
        return live;
    }
    static int& Created()
    {
        static int created = 0;
        return created;
    }
    // The window made last, if it still exists.
    static FakeNativeEdit* Current() { return Live().empty() ? nullptr : Live().back(); }

    // Makes every edit of every canvas a fake window while the test runs.
    static void Install()
    {
        Created() = 0;
        NativeEdit::SetFactory([](Canvas&, const Style& style, Listener& listener) {
            return std::make_unique<FakeNativeEdit>(style, listener);
        });
    }
    static void Uninstall() { NativeEdit::SetFactory({}); }

    Style style;
    QString text;
    QFont font;
    QRect geometry;
    bool focused { false };
    std::pair<int, int> selection { 0, 0 };
    bool scrolled_to_end { false };
    std::vector<QPoint> clicks;

private:
    bool Report(MessageKind kind)
    {
        Message message;
        message.kind = kind;
        return Send(message);
    }
    bool Send(Message message)
    {
        message.source = static_cast<const NativeEdit*>(this);
        return m_listener.RouteNativeMessage(message);
    }

    Listener& m_listener;
};

// Installs the fake windows for one test.
class FakeNativeEditScope {
public:
    FakeNativeEditScope() { FakeNativeEdit::Install(); }
    ~FakeNativeEditScope() { FakeNativeEdit::Uninstall(); }
};
