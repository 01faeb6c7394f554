#pragma once

// Canvases drop the events their items raise while an owner's event handler runs, so that a
// handler's own changes do not call it again. A modal loop started from inside a handler (a
// dialog opened by a button) opens this scope for its time, so that the events of the
// dialog's own widgets reach it; the flag is restored when the scope ends.
class NestedEventScope {
public:
    NestedEventScope();
    ~NestedEventScope();
    NestedEventScope(const NestedEventScope&) = delete;
    NestedEventScope& operator=(const NestedEventScope&) = delete;

private:
    bool m_saved;
};
