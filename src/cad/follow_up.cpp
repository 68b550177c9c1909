#include "cad/follow_up.h"

namespace lumo::cad {

namespace {
// Long enough for any host to start a command it was sent.
constexpr auto kStalePromptGrace = std::chrono::seconds(2);
} // namespace

FollowUpWatch::FollowUpWatch(Clock::duration patience) : patience_(patience) { }

void FollowUpWatch::arm(HostSession& session, Clock::time_point now)
{
    armedAt_ = now;
    refusedSince_.reset();
    stalePrompt_.reset();
    try {
        if (session.doc)
            stalePrompt_ = session.doc->getVariable("LASTPROMPT");
    } catch (const HostError&) {
        // Without the earlier prompt every cancel marker counts.
    }
}

FollowUpPoll FollowUpWatch::poll(HostSession& session, long countBefore, Clock::time_point now)
{
    try {
        const FollowUpPoll result = look(session, countBefore, now);
        refusedSince_.reset();
        return result;
    } catch (const HostBusy&) {
        if (!refusedSince_)
            refusedSince_ = now;
        return now - *refusedSince_ >= patience_ ? FollowUpPoll::Unreachable : FollowUpPoll::NotYet;
    }
}

FollowUpPoll FollowUpWatch::look(HostSession& session, long countBefore, Clock::time_point now)
{
    // Without a state object the host counts as idle.
    if (session.state && !session.state->isQuiescent()) {
        stalePrompt_.reset(); // the command has started
        return FollowUpPoll::NotYet;
    }
    if (!session.doc || !session.modelSpace)
        throw HostError("No active document");
    if (isCancel(session.doc->getVariable("LASTPROMPT"), now))
        return FollowUpPoll::Cancelled;
    if (session.modelSpace->count() <= countBefore)
        return FollowUpPoll::NotYet;
    return FollowUpPoll::NewEntity;
}

bool FollowUpWatch::isCancel(const std::string& prompt, Clock::time_point now)
{
    if (stalePrompt_) {
        if (prompt == *stalePrompt_ && now - armedAt_ < kStalePromptGrace)
            return false; // the command has not shown itself yet
        stalePrompt_.reset();
    }
    return prompt.find("*Cancel*") != std::string::npos || prompt.find("*Anulowano*") != std::string::npos;
}

} // namespace lumo::cad
