// The preparation worker of a dispatch: the page, its geometry and its preview, off the GUI thread.
#include "app/job_preparation.h"

#include "app/resume_state.h"
#include "machinelink/net_machine.h"
#include "plotmodel/shape_runs.h"

#include <new>
#include <vector>

namespace {

// Reads the page the source names from the folder into shapes; false when there is none.
bool ReadFolderPage(const JobPreparationInput& input, PlotShapeList& shapes, int32_t& page, int32_t& pageCount)
{
    page = input.page;
    const bool known = input.source == PageSource::kResume
                           ? FindResumePage(input.folder, input.jobPath, page, pageCount) != 0
                           : CheckJobPage(input.folder, input.jobPath, page, pageCount) != 0;
    return known && ReadPageFile(GetPageFilePath(input.folder, page), shapes);
}

// The fewest shapes a run of the preview's copies takes.
constexpr size_t kMinShapesPerPreviewRun = 64;

// The preview of a motion list: a copy of it back in job units, its bounds those of the motion
// list as a copy of the list has them. The shapes are copied on the worker threads, each
// mirrored and then scaled as the list's MirrorByX and Scale would. The motion list is kept for
// the whole page, and its shapes were built point by point with room to grow (about twice
// their points): each is first trimmed to its points.
std::unique_ptr<PlotShapeCutList> PreviewOf(PlotShapeCutList& motion, const PrepareMachineValues& m, int threads)
{
    std::vector<PlotShape*> shapes;
    shapes.reserve(static_cast<size_t>(motion.Count()));
    for (PlotShape* s = motion.HeadShape(); s; s = motion.ShapeAfter(s)) shapes.push_back(s);
    const auto mirrorX = static_cast<int32_t>(m.xRangeMm * 2.0 * 40.0 * m.xScale);
    const auto scaleX = static_cast<float>(1.0 / (2.0 * m.xScale)), scaleY = static_cast<float>(1.0 / (2.0 * m.yScale));
    std::vector<std::unique_ptr<PlotShape>> copies(shapes.size());
    ForEachIndexRun(shapes.size(), kMinShapesPerPreviewRun, threads, [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            shapes[i]->FreeUsedSpace();
            copies[i].reset(shapes[i]->NewCopy());
            copies[i]->MirrorByX(mirrorX);
            copies[i]->Scale(scaleX, scaleY);
        }
    });
    auto preview = std::make_unique<PlotShapeCutList>();
    for (auto& copy : copies) preview->AddTail(copy.release());
    preview->SetArea(motion.GetArea());
    return preview;
}

// Prepares the page of input into result: stage hears each stage as it begins, progress its
// percent (and stops the run by returning false); the refusal tells where and why it stopped.
void RunPreparation(JobPreparationInput& input, JobPreparationResult& result,
                    const std::function<void(PreparationStage)>& stage, const PreparationProgress& progress)
{
    PlotShapeList pageShapes;
    bool found = false;
    if (input.source != PageSource::kPaginate) {
        stage(PreparationStage::kReadingPage);
        int32_t page = -1, pageCount = 0;
        found = ReadFolderPage(input, pageShapes, page, pageCount);
        if (found) {
            result.pageIndex = page;
            result.pageCount = pageCount;
        } else if (input.source == PageSource::kChosenPage) {
            result.refusal = DispatchRefusal::kNotLoaded;
            return;
        }
    }
    if (!found) {
        stage(PreparationStage::kPaginating);
        if (input.jobShapes == nullptr) {
            result.refusal = DispatchRefusal::kNotLoaded;
            return;
        }
        // Whatever the pagination writes belongs to this start from here on.
        result.paginated = true;
        bool saved = true;
        int32_t pageCount = 0;
        const int index = PaginateJob(*input.jobShapes, input.edFile, input.jobPath, input.pageValues, input.folder,
                                      pageShapes, pageCount, saved, progress);
        input.jobShapes.reset();
        if (index == kPaginationCancelled) {
            result.refusal = DispatchRefusal::kCancelled;
            return;
        }
        if (index < 0) {
            result.refusal = saved ? DispatchRefusal::kNoShapes : DispatchRefusal::kPagesNotSaved;
            return;
        }
        result.pageIndex = index;
        result.pageCount = pageCount;
    }
    if (pageShapes.Count() == 0) {
        result.refusal = DispatchRefusal::kNoShapes;
        return;
    }

    stage(PreparationStage::kGeometry);
    auto jetList = std::make_unique<PlotShapeCutList>();
    auto motionList = std::make_unique<PlotShapeCutList>();
    int32_t clipOffset = 0;
    DispatchRefusal refusal = DispatchRefusal::kNone;
    if (!PrepareJobGeometry(*jetList, *motionList, pageShapes, input.prepareValues, input.sortCuts, *input.bandSource,
                            result.range, clipOffset, result.jet, progress, &refusal)) {
        result.refusal = refusal != DispatchRefusal::kNone ? refusal : DispatchRefusal::kMachineValuesUnusable;
        return;
    }
    auto preview = PreviewOf(*motionList, input.prepareValues, ShapeWorkerThreads(0));
    if (!ContinuePreparation(progress, 100)) {
        result.refusal = DispatchRefusal::kCancelled;
        return;
    }
    result.jetList = std::move(jetList);
    result.motionList = std::move(motionList);
    result.preview = std::move(preview);
}

// The stage hook of the tests (empty in the program).
std::function<void(PreparationStage)>& StageHook()
{
    static std::function<void(PreparationStage)> hook;
    return hook;
}

}  // namespace

JobPreparation::JobPreparation(std::unique_ptr<JobPreparationInput> input)
    : machineKey_(input->machineKey), jobRef_(input->jobRef), jobPath_(input->jobPath), input_(std::move(input))
{
    thread_ = std::thread([this] { Run(); });
}

JobPreparation::~JobPreparation()
{
    Cancel();
    if (thread_.joinable()) thread_.join();
}

void JobPreparation::Report(PreparationStage stage, int percent)
{
    const int oldStage = stage_.exchange(static_cast<int>(stage));
    const int oldPercent = percent_.exchange(percent);
    if (oldStage == static_cast<int>(stage) && oldPercent == percent) return;
    if (!progressPosted_.exchange(true)) PostMainMessage(WM_JOB_PREPARATION_PROGRESS, machineKey_, 0);
}

void JobPreparation::Run()
{
    const auto stage = [this](PreparationStage s) {
        Report(s, 0);
        if (StageHook()) StageHook()(s);
    };
    const PreparationProgress progress = [this](int percent) {
        Report(Stage(), percent);
        return !cancel_.load();
    };
    try {
        RunPreparation(*input_, result_, stage, progress);
    } catch (const std::bad_alloc&) {
        // The job is too big for this computer: what was made is freed and the start refused.
        result_.jetList.reset();
        result_.motionList.reset();
        result_.preview.reset();
        result_.refusal = DispatchRefusal::kOutOfMemory;
    }
    input_.reset();
    stage_.store(static_cast<int>(PreparationStage::kFinished));
    finished_.store(true);
    PostMainMessage(WM_JOB_PREPARATION_DONE, machineKey_, 0);
}

void JobPreparation::SetStageHookForTests(std::function<void(PreparationStage)> hook) { StageHook() = std::move(hook); }

JobPreparationResult JobPreparation::TakeResult()
{
    if (thread_.joinable()) thread_.join();
    if (cancel_.load() && result_.refusal == DispatchRefusal::kNone) {
        result_.jetList.reset();
        result_.motionList.reset();
        result_.preview.reset();
        result_.refusal = DispatchRefusal::kCancelled;
    }
    return std::move(result_);
}
