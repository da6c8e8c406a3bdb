// The values of the program settings dialog: what it shows at opening and the steps of its OK
// and of its check boxes, each change one call on a DirSetHost.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

// Where the settings dialog's changes go: the document, the application, the program-wide
// flags, the settings store, the upload server and the link manager. The program's host wraps
// them; tests record the calls.
class DirSetHost {
public:
    virtual ~DirSetHost() = default;

    // The document's three job directories and its sort flag.
    virtual CString GetAutoDirectory() const = 0;
    virtual CString GetMergeDirectory() const = 0;
    virtual CString GetCopyDirectory() const = 0;
    virtual void SetAutoDirectory(const CString& dir) = 0;
    virtual void SetMergeDirectory(const CString& dir) = 0;
    virtual void SetCopyDirectory(const CString& dir) = 0;
    virtual bool GetSortCuts() const = 0;
    virtual void SetSortCuts(bool on) = 0;

    // The application's delete-after-print flag and night mode (never stored).
    virtual bool GetDeleteAfterPrint() const = 0;
    virtual void SetDeleteAfterPrint(bool on) = 0;
    virtual bool GetNightMode() const = 0;
    virtual void SetNightMode(bool on) = 0;

    // The program-wide recognise-contours-on-open flag.
    virtual bool GetRecogniseContourOnOpen() const = 0;
    virtual void SetRecogniseContourOnOpen(bool on) = 0;

    // The settings store.
    virtual int32_t GetProfileInt(const char16_t* section, const char16_t* key, int32_t defaultValue) const = 0;
    virtual float GetProfileFloat(const char16_t* section, const char16_t* key, float defaultValue) const = 0;
    virtual void WriteProfileInt(const char16_t* section, const char16_t* key, int32_t value) = 0;
    virtual void WriteProfileString(const char16_t* section, const char16_t* key, const CString& value) = 0;
    virtual void WriteProfileFloat(const char16_t* section, const char16_t* key, float value) = 0;

    // Hands the upload server its new auto directory.
    virtual void SetAutoDir(const CString& dir) = 0;
    // The discovery addresses (network order) and their change.
    virtual uint32_t GetDiscoveryAddress() const = 0;
    virtual uint32_t GetServerDiscoveryAddress() const = 0;
    virtual void SetDiscoveryAddresses(uint32_t first, uint32_t second) = 0;
};

// The dialog's fields. Float fields are edited as text; the stored values beside them are
// what was read at opening.
struct DirSetValues {
    CString autoDirectory;
    CString mergeDirectory;
    CString copyDirectory;
    CString broadcastText;        // "网络地址:"
    CString serverBroadcastText;  // "服务器地址:"
    CString textScaleText;
    CString mergeWidthText;
    CString mergeBlankText;
    float textScale = 1.0f;
    float mergeWidthMm = 1800.0f;
    float mergeBlankMm = 1.0f;
    bool deleteAfterPrint = false;
    bool nightMode = false;
    bool recogniseContourOnOpen = false;
    bool sortCuts = true;
    bool bsplineFit = true;
};

// Reads what the dialog shows at opening.
DirSetValues ReadDirSetValues(const DirSetHost& host);

// Does the OK steps for edited against opened: changed directories (compared exactly) are
// stored, written and, for the auto directory, handed to the upload server; changed addresses
// are stored and written; changed float fields are written. A float field whose text is not a
// finite number shows the field message and nothing is changed: returns false (the dialog
// stays open); true when the dialog may close.
bool CommitDirSetValues(const DirSetValues& opened, const DirSetValues& edited, DirSetHost& host);

// The check boxes' clicks: each sets its owner's value and writes its key at once (night mode
// is never written).
void ApplyDeleteAfterPrint(bool on, DirSetHost& host);
void ApplyNightMode(bool on, DirSetHost& host);
void ApplySortCuts(bool on, DirSetHost& host);
void ApplyBsplineFit(bool on, DirSetHost& host);
void ApplyRecogniseContourOnOpen(bool on, DirSetHost& host);

// The dotted text of an address (network order).
CString DottedAddress(uint32_t address);
