// Net_TaskData: the locked hand-over of a job's two cut lists and the resume accounting.
#include "machinelink/net_task_data.h"

#include "plotmodel/plot_shape_cut_list.h"

#include <algorithm>
#include <climits>

Net_TaskData::Net_TaskData() : stampMs_(MonotonicMs()) {}

Net_TaskData::~Net_TaskData()
{
    CSingleLock lock(this, TRUE);
    DeleteHeld(nullptr, nullptr);
}

void Net_TaskData::DeleteHeld(const PlotShapeCutList* keepA, const PlotShapeCutList* keepB)
{
    // A list handed in again, or handed in as both lists of one job, is one object: it is
    // deleted once, and never while it is being handed in anew.
    PlotShapeCutList* first = firstList_;
    PlotShapeCutList* second = secondList_ == first ? nullptr : secondList_;
    firstList_ = secondList_ = nullptr;
    if (first && first != keepA && first != keepB) delete first;
    if (second && second != keepA && second != keepB) delete second;
}

int Net_TaskData::SetData(PlotShapeCutList* first, uint32_t printTask, PlotShapeCutList* second)
{
    CSingleLock lock(this, TRUE);
    if (taken_) return 0;
    DeleteHeld(first, second);
    printTask_ = printTask;
    firstList_ = first;
    secondList_ = second;
    stampMs_ = MonotonicMs();
    return 1;
}

int Net_TaskData::GetData(PlotShapeCutList* out[2])
{
    CSingleLock lock(this, TRUE);
    if (taken_ || !firstList_) return 0;
    out[0] = firstList_;
    out[1] = secondList_;
    firstList_ = secondList_ = nullptr;
    taken_ = 1;
    return 1;
}

PlotShapeCutList* Net_TaskData::GetData()
{
    CSingleLock lock(this, TRUE);
    if (taken_ || !firstList_) return nullptr;
    PlotShapeCutList* first = firstList_;
    firstList_ = nullptr;
    // The same list held as the second is now the caller's too: the box lets go of it.
    if (secondList_ == first) secondList_ = nullptr;
    taken_ = 1;
    return first;
}

void Net_TaskData::ClearData()
{
    CSingleLock lock(this, TRUE);
    taken_ = 0;
    DeleteHeld(nullptr, nullptr);
}

uint32_t Net_TaskData::GetPrtTaskPointer()
{
    CSingleLock lock(this, TRUE);
    return printTask_;
}

int Net_TaskData::IsTaken()
{
    CSingleLock lock(this, TRUE);
    return taken_;
}

int Net_TaskData::HasWaitingJob()
{
    CSingleLock lock(this, TRUE);
    return firstList_ ? 1 : 0;
}

TickMs Net_TaskData::GetStampMs()
{
    CSingleLock lock(this, TRUE);
    return stampMs_;
}

void Net_TaskData::PauseData_Init() { pauseValue1 = pauseValue2 = pauseValue3 = 0; }

void Net_TaskData::PauseData_Resume(int32_t count, int32_t)
{
    pauseValue3 = count;
    if (count != pauseValue1) {
        // Saturates rather than overflowing on an absurd run of resumes.
        pauseValue1 = static_cast<int32_t>(std::clamp<int64_t>(int64_t{pauseValue1} + pauseValue2, INT32_MIN, INT32_MAX));
    }
    pauseValue2 = 0;
}
