// SystemActions: the actions on the computer itself (power-off, the ARP cache, opening
// documents, starting programs, another program's named mutex), behind one replaceable
// interface.
//
// The program installs the implementation that acts (app/linux_system_actions.h); tests install
// a recording one. Until one is installed every action is refused: it is reported on the
// standard error stream and answers 0, so nothing acts on the computer by accident.
#pragma once

#include "platform/cstring.h"

#include <vector>

class SystemActions {
public:
    virtual ~SystemActions() = default;
    // Powers the computer off; 1 when the system accepted the request.
    virtual int PowerOff();
    // Empties the computer's ARP cache; 1 when it was emptied.
    virtual int ClearArpCache();
    // Opens a document with the desktop's program for its type; 1 when one was started.
    virtual int OpenDocument(const CString& path);
    // Starts the program at path with arguments (one argument per element, no shell); 1
    // when it was started.
    virtual int StartProgram(const CString& path, const std::vector<CString>& arguments);
    // Whether another program of this computer holds the named mutex name (it runs); 1 or 0.
    virtual int NamedMutexExists(const CString& name);
};

// Installs actions for every later call; null returns to the refusing default. The actions
// must outlive their installation.
void SetSystemActions(SystemActions* actions);
// The installed actions, or the refusing default.
SystemActions& GetSystemActions();
