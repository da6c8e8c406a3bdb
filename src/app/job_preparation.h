// JobPreparation: the heavy part of one dispatch (pagination or reading the page from the
// state folder, then geometry preparation and the preview copy) on a worker thread of its own.
//
// Ownership: the worker works on what its input holds and nothing else: a copy of the job's
// shapes, the machine values read under the link lock before it started, and a detached copy
// of the machine's jet band values. It touches no view, no socket and no machine of the table,
// and takes no lock of the link. Its files (page files, "PrintFileInfo.txt") go to the
// machine's state folder; the GUI thread writes the page's start state only when it applies
// the result.
// Messages: the worker posts WM_JOB_PREPARATION_PROGRESS when its stage or percent changed (at
// most one waits at a time) and WM_JOB_PREPARATION_DONE when it ended, both to the main frame
// with the machine key in wParam. They only wake the GUI thread: the stage, percent and result
// they announce are read from this object, so a message that arrives late does no harm.
// Cancel: a flag read between the stages and inside the long loops of pagination and
// preparation; a cancelled worker ends with refusal kCancelled.
#pragma once

#include "app/dispatch_refusal.h"
#include "app/job_geometry.h"
#include "app/pagination.h"
#include "platform/cstring.h"
#include "platform/posted_message.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/plot_shape_list.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

class NET_Machine;

// The messages of a preparation worker to the main frame; wParam: the machine key, lParam: 0.
inline constexpr UINT WM_JOB_PREPARATION_PROGRESS = WM_USER + 33;
inline constexpr UINT WM_JOB_PREPARATION_DONE = WM_USER + 34;

// Stages of a preparation, in the order they run.
enum class PreparationStage : uint8_t { kStarting, kPaginating, kReadingPage, kGeometry, kFinished };

// Where the page comes from: a fresh pagination, the page the machine's folder resumes at
// (paginating when there is none), or a chosen page of the folder.
enum class PageSource : uint8_t { kPaginate, kResume, kChosenPage };

// What one preparation starts from; made on the GUI thread.
struct JobPreparationInput {
    uint32_t machineKey = 0;
    uint32_t jobRef = 0;
    CString jobPath;
    PageSource source = PageSource::kPaginate;
    int32_t page = -1;  // the chosen page (kChosenPage)
    // A copy of the job's shapes, for a pagination (null when the source needs none).
    std::unique_ptr<PlotShapeList> jobShapes;
    bool edFile = false;
    CString folder;  // the machine's state folder
    PageMachineValues pageValues;
    PrepareMachineValues prepareValues;
    std::unique_ptr<NET_Machine> bandSource;  // CopyJetBandValues of the machine
    int sortCuts = 1;
};

// What a preparation made; applied on the GUI thread.
struct JobPreparationResult {
    DispatchRefusal refusal = DispatchRefusal::kNone;
    // This preparation paginated afresh: the folder's page files and job name are its own.
    bool paginated = false;
    int32_t pageIndex = -1;
    int32_t pageCount = 0;
    std::unique_ptr<PlotShapeCutList> jetList;     // list A: the ink-jet work
    std::unique_ptr<PlotShapeCutList> motionList;  // list B: the motion
    std::unique_ptr<PlotShapeCutList> preview;     // list B back in job units, for the preview
    Limit_PARAM range;
    JetTaskValues jet;
};

class JobPreparation {
public:
    // Starts the worker on input.
    explicit JobPreparation(std::unique_ptr<JobPreparationInput> input);
    // Cancels the worker and waits for it.
    ~JobPreparation();
    JobPreparation(const JobPreparation&) = delete;
    JobPreparation& operator=(const JobPreparation&) = delete;

    uint32_t MachineKey() const { return machineKey_; }
    uint32_t JobRef() const { return jobRef_; }
    const CString& JobPath() const { return jobPath_; }

    // Asks the worker to stop at its next check.
    void Cancel() { cancel_.store(true); }
    bool IsCancelled() const { return cancel_.load(); }
    // True once the worker ended (its result is then ready).
    bool IsFinished() const { return finished_.load(); }
    PreparationStage Stage() const { return static_cast<PreparationStage>(stage_.load()); }
    int Percent() const { return percent_.load(); }
    // The GUI thread read the progress: the next change posts a message again.
    void ProgressShown() { progressPosted_.store(false); }
    // The result, once IsFinished; a cancel that came before is honoured even when the worker
    // had already finished.
    JobPreparationResult TakeResult();

    // Tests only, set while no worker runs: called on each worker as a stage begins; it may
    // block for a bounded time to hold the worker there. Empty in the program.
    static void SetStageHookForTests(std::function<void(PreparationStage)> hook);

private:
    void Run();
    void Report(PreparationStage stage, int percent);

    const uint32_t machineKey_;
    const uint32_t jobRef_;
    const CString jobPath_;
    std::unique_ptr<JobPreparationInput> input_;
    JobPreparationResult result_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> progressPosted_{false};
    std::atomic<int> stage_{static_cast<int>(PreparationStage::kStarting)};
    std::atomic<int> percent_{0};
    std::thread thread_;
};
