// LinuxSystemActions: the program's system actions on Linux (logind, ip, xdg-open, processes).
#pragma once

#include "platform/system_actions.h"

class LinuxSystemActions : public SystemActions {
public:
    // Asks logind over the system bus to power off (PowerOff(false): not interactively);
    // 1 only on a reply without error.
    int PowerOff() override;
    // Runs "ip neigh flush all"; 1 when it ended with status 0.
    int ClearArpCache() override;
    // Starts "xdg-open" with path; 1 when it was started.
    int OpenDocument(const CString& path) override;
    // Starts the program detached; 1 when it was started.
    int StartProgram(const CString& path, const std::vector<CString>& arguments) override;
};
