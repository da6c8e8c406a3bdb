// USB_GraphicData: the abstract source of a machine's motion data, with its lock and idle flag.
#pragma once

#include "motion/p_data_buf.h"
#include "platform/critical_section.h"

#include <cstdint>

class USB_GraphicData {
public:
    USB_GraphicData() = default;
    USB_GraphicData(const USB_GraphicData&) = delete;
    USB_GraphicData& operator=(const USB_GraphicData&) = delete;
    virtual ~USB_GraphicData() = default;

    // Fills the stream with the next binary motion data: 1 with data, 0 without.
    virtual int GetNextData(P_DataBuf&) { return idleFlag == 0 ? 1 : 0; }
    // Restarts the data at a pulse distance from the job start.
    virtual void SeekTo(int32_t, int) {}
    // Progress of the job, 0..10000.
    virtual double GetPercentage() { return 0.0; }
    // Pulse length of the job.
    virtual uint32_t GetTotalPulseNum() { return 0; }
    virtual void SetStartPos(int32_t, int32_t) {}
    // The two speed choices in force.
    virtual void GetSpeed(int& a, int& b)
    {
        a = 0;
        b = 0;
    }

    // Not taken by the motion operations, which all run on the machine-link thread.
    MyCriticalSection lock;
    int32_t idleFlag = 1;
};
