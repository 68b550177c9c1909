// Watching the host while the designer places a block with the host's own
// insert command: is the command over, was it cancelled, has the new entity
// appeared? A host that refuses calls while its command runs is simply not
// idle yet; only one that goes on refusing for longer than the patience is
// given up.
#pragma once

#include "cad/session.h"

#include <chrono>
#include <optional>
#include <string>

namespace lumo::cad {

enum class FollowUpPoll {
    NotYet, // busy, refusing calls, or nothing new yet: look again later
    Cancelled, // the command was cancelled in the host
    NewEntity, // the host is idle and the model space has grown
    Unreachable, // the host has refused every call for longer than the patience
};

class FollowUpWatch {
public:
    using Clock = std::chrono::steady_clock;

    explicit FollowUpWatch(Clock::duration patience = std::chrono::seconds(60));

    // Called just before the command is sent. Remembers the last prompt, so
    // that a cancel left there by an earlier command is not taken for a
    // cancel of this one before this one has even started (a host may run a
    // sent command a little later). The grace ends once the command shows
    // itself, or after a few seconds.
    void arm(HostSession& session, Clock::time_point now = Clock::now());

    // One look: the idle state, then the cancel markers in "LASTPROMPT",
    // then the model-space count against countBefore. Host failures other
    // than busy refusals reach the caller.
    FollowUpPoll poll(HostSession& session, long countBefore, Clock::time_point now = Clock::now());

private:
    FollowUpPoll look(HostSession& session, long countBefore, Clock::time_point now);
    bool isCancel(const std::string& prompt, Clock::time_point now);

    Clock::duration patience_;
    std::optional<Clock::time_point> refusedSince_;
    // The prompt before the command; cleared once the command is seen.
    std::optional<std::string> stalePrompt_;
    Clock::time_point armedAt_{};
};

} // namespace lumo::cad
