#include "platform/ThreadPriority.h"

#include <pthread.h>
#include <sched.h>

void LowerCurrentThreadToIdle()
{
    sched_param parameters {};
    parameters.sched_priority = 0;
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &parameters);
}
