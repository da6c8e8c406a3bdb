// The program's settings-dialog host over the document, the application, the store and the servers.
#include "ui/program_dir_set_host.h"

#include "app/app_globals.h"
#include "app/doc_corvane.h"
#include "app/udp_server.h"
#include "platform/settings_store.h"
#include "ui/app_corvane.h"
#include "ui/main_frame.h"
#include "uploadserver/tcp_server1.h"

namespace {

// The running application's frame message handling, or null.
MainFrameMessages* FrameMessages(CAppCorvane& app)
{
    CMainFrame* frame = app.GetMainFrame();
    return frame ? &frame->GetMessages() : nullptr;
}

}  // namespace

CString ProgramDirSetHost::GetAutoDirectory() const { return doc_.autoDirectory; }
CString ProgramDirSetHost::GetMergeDirectory() const { return doc_.mergeDirectory; }
CString ProgramDirSetHost::GetCopyDirectory() const { return doc_.copyDirectory; }
void ProgramDirSetHost::SetAutoDirectory(const CString& dir) { doc_.autoDirectory = dir; }
void ProgramDirSetHost::SetMergeDirectory(const CString& dir) { doc_.mergeDirectory = dir; }
void ProgramDirSetHost::SetCopyDirectory(const CString& dir) { doc_.copyDirectory = dir; }
bool ProgramDirSetHost::GetSortCuts() const { return doc_.sortCuts != 0; }
void ProgramDirSetHost::SetSortCuts(bool on) { doc_.sortCuts = on ? 1 : 0; }

bool ProgramDirSetHost::GetDeleteAfterPrint() const
{
    CAppCorvane* app = GetCorvaneApp();
    return app && app->deleteAfterCut != 0;
}

// Sets the application's flag and the frame's copy, which the end-of-job handling reads.
void ProgramDirSetHost::SetDeleteAfterPrint(bool on)
{
    CAppCorvane* app = GetCorvaneApp();
    if (!app) return;
    app->deleteAfterCut = on ? 1 : 0;
    if (MainFrameMessages* messages = FrameMessages(*app)) messages->deleteAfterCut = app->deleteAfterCut;
}

bool ProgramDirSetHost::GetNightMode() const
{
    CAppCorvane* app = GetCorvaneApp();
    return app && app->nightModePowerOff != 0;
}

void ProgramDirSetHost::SetNightMode(bool on)
{
    CAppCorvane* app = GetCorvaneApp();
    if (!app) return;
    app->nightModePowerOff = on ? 1 : 0;
    if (MainFrameMessages* messages = FrameMessages(*app)) messages->nightModePowerOff = app->nightModePowerOff;
}

bool ProgramDirSetHost::GetRecogniseContourOnOpen() const { return glRecogniseContourWhenFileOpen != 0; }

// Sets the program-wide flag and the document's copy of it, both loaded from the same key.
void ProgramDirSetHost::SetRecogniseContourOnOpen(bool on)
{
    glRecogniseContourWhenFileOpen = on ? 1 : 0;
    doc_.penToolSettings.recogniseOnOpen = glRecogniseContourWhenFileOpen;
}

int32_t ProgramDirSetHost::GetProfileInt(const char16_t* section, const char16_t* key, int32_t defaultValue) const
{
    return ::GetProfileInt(section, key, defaultValue);
}

float ProgramDirSetHost::GetProfileFloat(const char16_t* section, const char16_t* key, float defaultValue) const
{
    return ::GetProfileFloat(section, key, defaultValue);
}

void ProgramDirSetHost::WriteProfileInt(const char16_t* section, const char16_t* key, int32_t value)
{
    ::WriteProfileInt(section, key, value);
}

void ProgramDirSetHost::WriteProfileString(const char16_t* section, const char16_t* key, const CString& value)
{
    ::WriteProfileString(section, key, value.GetString());
}

void ProgramDirSetHost::WriteProfileFloat(const char16_t* section, const char16_t* key, float value)
{
    ::WriteProfileFloat(section, key, value);
}

void ProgramDirSetHost::SetAutoDir(const CString& dir) { CTCPServer1::SetAutoDir(dir); }

uint32_t ProgramDirSetHost::GetDiscoveryAddress() const { return doc_.GetServer().GetDiscoveryAddress(); }

uint32_t ProgramDirSetHost::GetServerDiscoveryAddress() const { return doc_.GetServer().GetServerDiscoveryAddress(); }

void ProgramDirSetHost::SetDiscoveryAddresses(uint32_t first, uint32_t second)
{
    doc_.GetServer().SetDiscoveryAddresses(first, second);
}
