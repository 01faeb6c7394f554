#pragma once

#include "items/DecodeQueue.h"

#include <QCoreApplication>

// Lets pictures that decode in the background arrive: waits until no decode is left and the
// user-interface thread has heard of every one (hearing may start more, as pictures repaint).
inline void WaitForDecodes()
{
    DecodeQueue& queue = DecodeQueue::Instance();
    while (!queue.Settled()) {
        queue.WaitUntilIdle();
        QCoreApplication::processEvents();
    }
}
