// The refusing default of the system actions and the installed actions.
#include "platform/system_actions.h"

#include <atomic>
#include <cstdio>

namespace {

std::atomic<SystemActions*> g_actions{nullptr};

// Reports a refused action on the standard error stream; answers 0.
int Refuse(const char* action)
{
    std::fprintf(stderr, "Corvane: no system actions installed, %s refused\n", action);
    return 0;
}

}  // namespace

int SystemActions::PowerOff() { return Refuse("power-off"); }
int SystemActions::ClearArpCache() { return Refuse("clearing the ARP cache"); }
int SystemActions::OpenDocument(const CString&) { return Refuse("opening a document"); }
int SystemActions::StartProgram(const CString&, const std::vector<CString>&) { return Refuse("starting a program"); }
int SystemActions::NamedMutexExists(const CString&) { return Refuse("testing a named mutex"); }

void SetSystemActions(SystemActions* actions) { g_actions.store(actions, std::memory_order_release); }

SystemActions& GetSystemActions()
{
    static SystemActions refusing;
    SystemActions* actions = g_actions.load(std::memory_order_acquire);
    return actions ? *actions : refusing;
}
