// P_Pivmora: a machine's motion source: the interpolator behind the motion-data interface,
// with the job start reference that the machine link keeps beside it.
#pragma once

#include "motion/graphic_data.h"
#include "motion/interpolate1.h"

#include <cstdint>

class P_Pivmora : public USB_GraphicData {
public:
    // Fills b with the binary step stream of the next point groups: 1 with data, 1 with b
    // emptied when the job has just ended, 0 afterwards and without a job.
    int GetNextData(P_DataBuf& b) override;
    // Restarts the interpolator n pulses from the job start.
    void SeekTo(int32_t n, int) override { interpolator.ResumePrint(n); }
    // Progress 0..10000 (curve ordinal over curve total of the cut list); 0 without a job.
    double GetPercentage() override;
    // Pulse length of the job, with the depth changes for a machine on the depth-aware
    // traversal; 0 without a job.
    uint32_t GetTotalPulseNum() override;
    // a = first speed index, b = cutting level index.
    void GetSpeed(int& a, int& b) override
    {
        a = interpolator.firstSpeedIndex;
        b = interpolator.cuttingLevelIndex;
    }

    P_Interpolate1 interpolator;
    uint32_t jobStartReference = 0;  // pulse count the machine reported when the job started
};
