// ProgramDirSetHost: where the program settings dialog's changes go in the running program.
#pragma once

#include "ui/dir_set_values.h"

class CDocCorvane;

// Wraps the document (directories, sort flag), the application and its frame (delete-after-cut,
// night mode), the program-wide contour flag, the settings store, the upload server and the
// document's link manager (discovery addresses). Without a running application the
// application's flags read as off and their changes only reach the settings store.
class ProgramDirSetHost : public DirSetHost {
public:
    explicit ProgramDirSetHost(CDocCorvane& doc) : doc_(doc) {}

    CString GetAutoDirectory() const override;
    CString GetMergeDirectory() const override;
    CString GetCopyDirectory() const override;
    void SetAutoDirectory(const CString& dir) override;
    void SetMergeDirectory(const CString& dir) override;
    void SetCopyDirectory(const CString& dir) override;
    bool GetSortCuts() const override;
    void SetSortCuts(bool on) override;

    bool GetDeleteAfterPrint() const override;
    void SetDeleteAfterPrint(bool on) override;
    bool GetNightMode() const override;
    void SetNightMode(bool on) override;

    bool GetRecogniseContourOnOpen() const override;
    void SetRecogniseContourOnOpen(bool on) override;

    int32_t GetProfileInt(const char16_t* section, const char16_t* key, int32_t defaultValue) const override;
    float GetProfileFloat(const char16_t* section, const char16_t* key, float defaultValue) const override;
    void WriteProfileInt(const char16_t* section, const char16_t* key, int32_t value) override;
    void WriteProfileString(const char16_t* section, const char16_t* key, const CString& value) override;
    void WriteProfileFloat(const char16_t* section, const char16_t* key, float value) override;

    void SetAutoDir(const CString& dir) override;
    uint32_t GetDiscoveryAddress() const override;
    uint32_t GetServerDiscoveryAddress() const override;
    void SetDiscoveryAddresses(uint32_t first, uint32_t second) override;

private:
    CDocCorvane& doc_;
};
