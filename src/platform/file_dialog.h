// File pickers: choosing files to open and a file to save through one replaceable picker.
//
// The program installs a picker that shows the system's dialogs; tests install one that
// answers as scripted. Without a picker every choice is cancelled.
#pragma once

#include "platform/carray.h"
#include "platform/cstring.h"

class CFilePicker {
public:
    virtual ~CFilePicker() = default;
    // Lets the operator choose one or more existing files; false when cancelled.
    virtual bool PickOpenFiles(const CString& title, const CString& filter, CArray<CString>& paths) = 0;
    // Lets the operator choose a file to write; false when cancelled.
    virtual bool PickSaveFile(const CString& defaultExtension, const CString& filter, CString& path) = 0;
};

// Installs picker for every later choice; null cancels them all. It must outlive its use.
void SetFilePicker(CFilePicker* picker);

// The operator's choice of files to open; false when cancelled (paths then empty).
bool PickOpenFiles(const CString& title, const CString& filter, CArray<CString>& paths);
// The operator's choice of a file to save; false when cancelled.
bool PickSaveFile(const CString& defaultExtension, const CString& filter, CString& path);
