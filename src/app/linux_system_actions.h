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
    // A named mutex is the lock file "<name>.lock" in the user's runtime directory (else the
    // temporary directory), held with flock by the program that owns it; 1 when it is held.
    int NamedMutexExists(const CString& name) override;
};
