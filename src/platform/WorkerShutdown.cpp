#include "platform/WorkerShutdown.h"

#include <QCoreApplication>

#include <mutex>
#include <vector>

namespace {

struct Registry {
    std::mutex lock;
    std::vector<std::function<void()>> stops; // guarded by lock
    bool tied_to_application { false };       // guarded by lock
};

Registry& Stops()
{
    // Never destroyed: workers may still register while statics are being destroyed.
    static auto* registry = new Registry;
    return *registry;
}

}

void WorkerShutdown::Register(std::function<void()> stop_and_wait)
{
    Registry& registry = Stops();
    bool tie = false;
    {
        std::lock_guard guard(registry.lock);
        registry.stops.push_back(std::move(stop_and_wait));
        tie = !registry.tied_to_application && QCoreApplication::instance();
        registry.tied_to_application = registry.tied_to_application || tie;
    }
    if (tie)
        qAddPostRoutine(&WorkerShutdown::StopAll);
}

void WorkerShutdown::StopAll()
{
    Registry& registry = Stops();
    std::vector<std::function<void()>> stops;
    {
        std::lock_guard guard(registry.lock);
        stops.swap(registry.stops);
        registry.tied_to_application = false;
    }
    // Run outside the lock: a stop may wait for a worker that registers something itself.
    for (auto stop = stops.rbegin(); stop != stops.rend(); ++stop)
        (*stop)();
}
