// File and folder pickers for tests: each picker answers the next scripted choice, or cancelled.
#pragma once

#include "platform/file_dialog.h"

#include <deque>
#include <optional>
#include <vector>

namespace corvane_test {

// Installs itself for its lifetime.
class ScriptedFileDialogs : public FileDialogs {
public:
    ScriptedFileDialogs() { SetFileDialogs(this); }
    ~ScriptedFileDialogs() override { SetFileDialogs(nullptr); }
    ScriptedFileDialogs(const ScriptedFileDialogs&) = delete;
    ScriptedFileDialogs& operator=(const ScriptedFileDialogs&) = delete;

    // The next picker chooses paths (the save and folder pickers the first of them); an empty
    // list cancels.
    void ScriptChoice(std::vector<CString> paths) { choices_.push_back(std::move(paths)); }

    bool OpenFiles(const CString& title, const CString& filter, std::vector<CString>& paths) override
    {
        titles.push_back(title);
        filters.push_back(filter);
        std::optional<std::vector<CString>> choice = Next();
        if (!choice || choice->empty()) return false;
        paths = *choice;
        return true;
    }
    bool SaveFile(const CString& title, const CString& filter, const CString&, CString& path) override
    {
        titles.push_back(title);
        filters.push_back(filter);
        std::optional<std::vector<CString>> choice = Next();
        if (!choice || choice->empty()) return false;
        path = choice->front();
        return true;
    }
    bool BrowseForFolder(const CString& title, CString& path) override
    {
        titles.push_back(title);
        filters.push_back(CString());
        std::optional<std::vector<CString>> choice = Next();
        if (!choice || choice->empty()) return false;
        path = choice->front();
        return true;
    }

    // The title and filter (empty for a folder) of every picker shown, oldest first.
    std::vector<CString> titles;
    std::vector<CString> filters;

private:
    std::optional<std::vector<CString>> Next()
    {
        if (choices_.empty()) return std::nullopt;
        std::vector<CString> choice = std::move(choices_.front());
        choices_.pop_front();
        return choice;
    }

    std::deque<std::vector<CString>> choices_;
};

}  // namespace corvane_test
