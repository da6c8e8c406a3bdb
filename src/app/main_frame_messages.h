// MainFrameMessages: the main frame's handlers of the messages posted by the machine link and
// the upload server: new machines and their record stores, remote clients' job and machine
// commands, new clients, the machines' requests for work and start keys, and their status,
// configuration, progress and page notices, and the progress and end of the dispatches'
// preparation workers.
#pragma once

#include "platform/cstring.h"
#include "platform/posted_message.h"

#include <cstdint>
#include <functional>

class CDocCorvane;
class CPrintTask;
class CTCPClient1;
class NET_Machine;

class MainFrameMessages : public CMessageTarget {
public:
    explicit MainFrameMessages(CDocCorvane& doc, Delivery delivery = Delivery::GuiThread);

    // Stop and restart the 2000 ms auto-print timer around the tips the handlers show (the
    // frame gives them; unset they do nothing).
    std::function<void()> pauseAutoPrint;
    std::function<void()> resumeAutoPrint;
    // The program's options: remove a job whose copies are all cut (deleting its file when it
    // lies in the auto directory), and power the computer off when nothing is left to cut.
    int32_t deleteAfterCut = 0;
    int32_t nightModePowerOff = 0;
    // Powers the computer off (the frame's system action; unset does nothing).
    std::function<void()> shutdownComputer;

    // 1044: a newly found machine gets its row (checked and selected when it is the only
    // one), its 'i' line goes to the clients and its interrupted job is resumed.
    void OnMachineFound(uint32_t key);
    // 1045: a machine's state, online flag or version changed, its job was cancelled or its
    // page finished (lParam kMachine...).
    void OnMachineStateChanged(NET_Machine* machine, LPARAM what);

    // 1046: stores record 0 (the origin) or 1 (the base speeds without the PWM values) of the
    // machine of key in the program's parameter database.
    void OnSaveMachineRecord(uint32_t key, LPARAM record);

    // 1050: a client's "<FILE" job command, parsed within its length characters.
    void OnFileCommand(const char16_t* message, int32_t length);
    // 1051: a client's "<MACH" key command, parsed within its length characters.
    void OnMachineCommand(const char16_t* message, int32_t length);
    // 1052: a new client gets the job list, the machine list and the directory-print state.
    void OnClientAccepted(CTCPClient1* client);
    // 1053: the machine's feeder is out of paper.
    void OnMachineStatus(NET_Machine* machine, int32_t status);
    // 1054: the machine's configuration could not be read.
    void OnConfigInvalid(NET_Machine* machine);
    // 1047: the jet progress of the job of reference jobRef on machine.
    void OnJetProgress(uint32_t jobRef, NET_Machine* machine);
    // 1056: a page of the job of reference jobRef ended and more pages remain.
    void OnPageFinished(NET_Machine* machine, uint32_t jobRef);

    // Hands each message to its handler; the command copies of 1050 and 1051 are freed here.
    // Public: the main frame, the target the link and the upload server post to, routes
    // every message it receives here.
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // 'g': sends a copy of the shapes of the job row to the client that asked, when name is
    // the row's column 0 text (ignoring case) and the client is still connected.
    void SendJobShapes(CTCPClient1* client, int row, const CString& name);
    // The page-end accounting of job on machine; false when the job left the list.
    bool FinishPage(CPrintTask* job, NET_Machine* machine);
    // The machine of a message when it is still in the table, else null.
    NET_Machine* FindListedMachine(NET_Machine* machine);

    CDocCorvane& doc_;
};
