#pragma once

// Background work the user does not wait for runs at the lowest priority, so that it only
// takes what the machine leaves over. A thread at that priority cannot raise itself again.
void LowerCurrentThreadToIdle();
