// What the program does with a busy host, whichever host it is: a call the
// host refuses as busy (HostBusy) is asked again after a short pause, each
// pause twice the one before, until the patience runs out; then the HostBusy
// reaches the caller, which tells the designer and ends the run. The pauses
// are short, so the program's windows stop only for a moment, and whoever
// polls the host (the follow-up timer) simply asks again at its next tick.
//
// The whole host interface gets this by wrapping the provider: every object
// that comes from a wrapped application retries the same way.
#pragma once

#include "cad/session.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <utility>

namespace lumo::cad {

struct BusyRetry {
    std::chrono::milliseconds firstPause{20};
    // The time the pauses of one call add up to, at most.
    std::chrono::milliseconds patience{300};
    // Waits between two tries; empty: the thread sleeps.
    std::function<void(std::chrono::milliseconds)> pause;
};

// Calls call() until it does not throw HostBusy or the patience is spent.
template <class Call> auto RetryWhileBusy(const BusyRetry& retry, Call&& call) -> decltype(call())
{
    auto next = retry.firstPause;
    std::chrono::milliseconds waited{0};
    for (;;) {
        try {
            return call();
        } catch (const HostBusy&) {
            if (waited >= retry.patience || next.count() <= 0)
                throw;
        }
        const auto wait = std::min(next, retry.patience - waited);
        if (retry.pause)
            retry.pause(wait);
        else
            std::this_thread::sleep_for(wait);
        waited += wait;
        next *= 2;
    }
}

// The application with every call, and every call of every object it hands
// out, retried as above.
std::shared_ptr<Application> RetryingWhenBusy(std::shared_ptr<Application> app,
                                              std::shared_ptr<const BusyRetry> retry);

// A provider whose hosts retry as above; attaching and starting retry too.
class BusyRetryingProvider : public HostProvider {
public:
    explicit BusyRetryingProvider(HostProvider& inner, BusyRetry retry = {});
    std::shared_ptr<Application> attach() override;
    std::shared_ptr<Application> create() override;

private:
    HostProvider& inner_;
    std::shared_ptr<const BusyRetry> retry_;
};

} // namespace lumo::cad
