#pragma once

#include <functional>
#include <utility>

// Someone waiting for a decode: a picture that is to show its pixels, or a page prepared in
// advance. The decode holds the ticket weakly; once its owner has let go of it, a decode not
// yet started is dropped and a finished one tells nobody.
class DecodeTicket {
public:
    explicit DecodeTicket(std::function<void()> arrived = {})
        : m_arrived(std::move(arrived))
    {
    }

    // Called on the user-interface thread when a decode it waits for has ended, whether it
    // gave pixels or failed.
    void Arrived() const
    {
        if (m_arrived)
            m_arrived();
    }

private:
    std::function<void()> m_arrived;
};
