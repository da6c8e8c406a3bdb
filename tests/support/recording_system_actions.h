// System actions for tests: each call is recorded and answered as scripted; nothing acts.
#pragma once

#include "platform/system_actions.h"

#include <mutex>
#include <string>
#include <vector>

namespace corvane_test {

// Installs itself for its lifetime. Every action answers `answer` (1 unless changed).
class RecordingSystemActions : public SystemActions {
public:
    RecordingSystemActions() { SetSystemActions(this); }
    ~RecordingSystemActions() override { SetSystemActions(nullptr); }
    RecordingSystemActions(const RecordingSystemActions&) = delete;
    RecordingSystemActions& operator=(const RecordingSystemActions&) = delete;

    int PowerOff() override { return Record(u"PowerOff"); }
    int ClearArpCache() override { return Record(u"ClearArpCache"); }
    int OpenDocument(const CString& path) override { return Record(u"OpenDocument " + path.str()); }
    int StartProgram(const CString& path, const std::vector<CString>& arguments) override
    {
        std::u16string call = u"StartProgram " + path.str();
        for (const CString& argument : arguments) call += u" " + argument.str();
        return Record(call);
    }
    int NamedMutexExists(const CString& name) override
    {
        Record(u"NamedMutexExists " + name.str());
        return mutexExists;
    }

    // The calls so far, oldest first: the action's name and its arguments.
    std::vector<std::u16string> Calls() const
    {
        std::lock_guard<std::mutex> guard(lock_);
        return calls_;
    }

    int answer = 1;
    // The answer of NamedMutexExists.
    int mutexExists = 0;

private:
    int Record(std::u16string call)
    {
        std::lock_guard<std::mutex> guard(lock_);
        calls_.push_back(std::move(call));
        return answer;
    }

    mutable std::mutex lock_;
    std::vector<std::u16string> calls_;
};

}  // namespace corvane_test
