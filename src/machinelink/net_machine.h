// NET_Machine: one networked plotter as the machine link knows it, with the whole UDP
// protocol between the PC and the machine.
//
// Protocol. The PC sends numbered packs ('Q', sequence, type, payload) through four queues:
// motion text to port 41204, panel codes to 41206, commands to 41205 and packed jet raster
// to 41209. The machine acknowledges each queue by naming the sequence number it expects
// next ("QGJA", "QGJR"), reports its free buffer space (which gates the motion and jet pumps
// through the queues' busy bytes), and asks for things with numbered requests ("QGJQ": key
// commands, end of job, start or resume, value reports, status). Every request is answered at
// once on port 41207 so the machine can move on; a repeated request is answered again but
// acted on once. "PQCN" carries the machine's motion parameters and "PQCE" a further block.
// Motion and jet data go out one pack in flight per queue; a 200 ms poll asks for parameters,
// resends what is unacknowledged and marks a machine offline after 4 s of silence.
//
// Every multi-byte value on the wire is little-endian; every field of a received datagram is
// read through a bounds-checked reader, and a datagram too short for its kind is not acted on.
// Times are milliseconds of MonotonicMs. Lengths of datagrams and payloads are bytes.
//
// Threads: all protocol operations run on the machine-link thread. The user interface reads
// and writes the record's fields only while it holds the machine-link manager's lock, which
// the link thread holds for each datagram and each poll pass (see docs/decisions.md).
#pragma once

#include "machinelink/datagram_sender.h"
#include "machinelink/machine_protocol.h"
#include "machinelink/my_bitmap.h"
#include "machinelink/net_send_buf.h"
#include "machinelink/net_task_data.h"
#include "motion/machine_motion_params.h"
#include "motion/p_data_buf.h"
#include "motion/pivmora.h"
#include "platform/cstring.h"
#include "platform/tick_clock.h"

#include <cstdint>

class PlotShapeCutList;

// Four band limits of a jet band, in raster rows.
struct Limit_PARAM {
    int32_t limit0 = 0;
    int32_t limit1 = 0;
    int32_t limit2 = 0;
    int32_t limit3 = 0;
};

// Scales, calibration and plot options of a machine.
struct PlotSettings {
    float xScale = 1.0f;  // job scale along x (the job is prepared at twice it)
    float yScale = 1.0f;
    float xCalIdeal = 1000.0f;  // calibration: ideal and real length measured along x
    float xCalReal = 1000.0f;
    float yCalIdeal = 1000.0f;
    float yCalReal = 1000.0f;
    int32_t plotValue1 = 1;
    int32_t plotValue2 = 0;  // also the x limit of the cut area, machine units (0: none)
    int32_t plotValue3 = 100;
    int32_t plotValue4 = 10;
    int32_t plotValue5 = 2;
    int32_t bandBaseMm = 100;  // job y offset: base of the lowest jet band edge
    int32_t rotationDeg = 0;   // 0, 90, 180 or 270
    int32_t mirror = 0;        // nonzero: the print work of a job is mirrored
    int32_t plotValue9 = 1;
    int32_t plotValue10 = 0;  // also the y limit of the cut area, machine units (0: none)
    int32_t plotValue11 = 0;
};

// Ranges and motion limits of a machine, in machine units (x 40 gives plotter units).
struct MachineParams {
    int32_t xRange = 80000;
    int32_t yRange = 80000;
    int32_t startSpeed = 1000;
    int32_t jerk = 1500000;
    int32_t limitLength = 1000;
    int32_t resetSpeed = 1000;
    int32_t moveSpeed = 10000;
    int32_t moveAcceleration = 50000;
};

// One jet print speed level (32 bytes in the configuration file, in this order).
struct SpeedLevelRecord {
    uint16_t speed = 0;
    uint16_t secondSpeed = 0;
    int32_t levelValue1 = 0;
    int32_t levelValue2 = 0;
    int32_t levelValue3 = 0;
    uint16_t zeroWord = 0;
    int16_t bidiOffset = 0;     // rows added to the band position on one pass direction
    int16_t headValues[6] = {}; // the machine's head values (the 3rd and 5th from unsigned bytes)
};

// Nozzle ranges and geometry of the ink-jet heads.
struct JetHeadParams {
    uint8_t nozzleStart[4] = {2, 2, 0, 0};
    uint8_t nozzleEnd[4] = {152, 152, 0, 0};
    uint16_t headValue = 60;
    int16_t headOffsets[3] = {-171, 0, 0};  // rows: heads 2, 3 and 4, each from the head before
    float jetStepWidth = -1000.0f;          // the first jet float
    int32_t motorValue = 0;                 // the jet head offset value
    float secondJetFloat = 100.0f;
    uint8_t headCount = 0;
    uint8_t penWidth = 2;     // the first jet byte: pen width of the raster, pixels
    uint8_t warmUpDuty = 4;   // the second jet byte: rows of 118 printed in the warm-up band
    uint8_t margin = 23;      // rows
};

// The interpolator's base speeds and PWM values, kept for the machine in the parameter
// database; nothing in the library reads them.
struct InterpolatorBaseSpeeds {
    int32_t speed = 0;
    int32_t speedIncise = 0;  // the cutting speed
    int32_t speedSpace = 0;   // the idle-move speed
    uint16_t pwm0 = 0;
    uint16_t pwm1 = 0;
};

class NET_Machine : public MachineMotionParams {
public:
    // Machine silent for longer than this is offline.
    static constexpr TickMs kOfflineAfterMs = 4000;

    NET_Machine();
    NET_Machine(uint32_t ip, const uint8_t id[12]);
    NET_Machine(uint32_t ip, const uint8_t mac[6], const uint8_t id[12]);
    ~NET_Machine() override;

    // Resets the link and job state and every parameter block to its default.
    void InitVal();
    void InitPlotSettings();
    void InitMachParam();
    void InitJetParam();
    // Adopts the settings block of the machine's announce; only the parts that fully arrived
    // in `length` bytes are taken.
    void LoadSettings(const uint8_t* block, int length);

    // Handles one datagram from the machine.
    void ProcMcuMsg(DatagramSender& socket, const uint8_t* datagram, int length);
    // Handles a key command request (kind 1): the whole datagram.
    void ProcKeyCmd(DatagramSender& socket, const uint8_t* datagram, int length);

    // Forwards one user-interface command: byte 0 the command code, then the payload.
    void ProcPCMsg(DatagramSender& socket, const uint8_t* message, int length);
    // One poll tick: status poll, resends, pumping, and the offline rule.
    void ProTimeout(DatagramSender& socket);
    // Takes the pending report of a command refused because a queue is full (one per
    // episode, naming the machine); false when there is none. The link manager shows it
    // once it no longer holds its lock.
    bool TakeRefusalReport(CString& text);
    // Resends the unacknowledged motion pack, or sends the next one.
    void SendNextData(DatagramSender& socket, int thresholdMs);
    // Copies the next block of motion text (at most capacity bytes) into buffer; its length,
    // or the interpolator's negative result (-3: the job's motion has ended).
    int GetNextStr(uint8_t* buffer, int capacity);
    // Resends the unacknowledged jet pack, or sends the next one.
    void SendNextDataJet(DatagramSender& socket, int thresholdMs);
    // Copies the next block of packed jet data (at most capacity bytes), packing the next band
    // when the jet stream is used up; its length, or -1 when the jet data has ended.
    int GetNextStrJet(uint8_t* buffer, int capacity);
    // Renders the band of the jet end marker into the raster and counts the marker on; 0 (and
    // no raster) when there is no band left or it cannot be rendered.
    int Plt2Map();
    // Ends the jet side step by step as the machine reports jet progress (rows).
    void JetEndProgress(DatagramSender& socket, int progressRows);
    void SendJetConfig(DatagramSender& socket);
    void SendJetMotoConfig(DatagramSender& socket, int level);
    void SendJetRange(DatagramSender& socket, const Limit_PARAM& limits);
    // Appends a move along y and then along x to the motion stream.
    void SendMotoMove(int32_t x, int32_t y);

    // Saves the machine's parameters as a configuration file (814 bytes below firmware 12,
    // 830 from it on); a file that cannot be opened is not written.
    void SaveConfigToFile(const CString& path);
    // Loads a configuration file of this machine's size: 1 loaded, 0 not (the record is then
    // unchanged). The scales and calibration stay those of the library's fixed scales.
    int LoadConfigFromFile(const CString& path);
    // The calibration factors ideal / real along x and y.
    void GetExternScale(float& x, float& y) const;
    // Width the machine can cut, plotter units.
    float GetXRangeMax() const;
    // The usable cut area, plotter units.
    void GetCutArea_PB(int32_t& width, int32_t& height);

    // Identity texts.
    void GetIP(CString& out) const;
    void GetID(CString& out) const;
    void GetMAC(CString& out) const;
    static CString ConvertMac(const uint8_t* mac);
    static CString ConvertStmid(const uint8_t* id);
    CString GetVersionText() const;

    // The interpolator's lists: the print list rendered into the raster and the cut list it walks.
    const PlotShapeCutList* PrintList() const;
    PlotShapeCutList* CutList() const;
    // Writes the depth-parameter block as its 20 wire bytes (the configuration file's chunk
    // and the payload of parameter command 17).
    void WriteDepthBlock(uint8_t* bytes) const;
    // The machine's address as a socket address value.
    in_addr Address() const;
    bool IsCuttingMachine() const { return (machineKind & kCuttingMachineBit) != 0; }

    // Head geometry and band limits of the jet side (rows; a level outside 0..2 counts as 0).
    int GetLowLimit(int level) const;
    int GetOthserSpace(int level) const;
    int GetJetWidth() const;
    int GetJetPt() const;
    void GetJetInfo(int32_t positions[5], int32_t ranges[4]) const;
    void GetLimit(Limit_PARAM& limits, int32_t width, int level) const;
    void GetLimitLast(Limit_PARAM& limits, int32_t width, int32_t rest, int level) const;
    // Takes the jet progress (rows printed) the machine reported: last-band limits and the
    // progress notice.
    void JetProgress(DatagramSender& socket, int rows);

    // The values the interpolator reads.
    int GetFirmwareVersion() const override { return firmwareVersion; }
    uint8_t GetMachineKind() const override { return machineKind; }
    float GetXScale() const override { return plot.xScale; }
    float GetYScale() const override { return plot.yScale; }
    MotionSpeedLevel GetSpeedLevel(int level) const override;
    int32_t GetMoveAcceleration() const override { return machineParams.moveAcceleration; }
    int32_t GetJerk() const override { return machineParams.jerk; }
    std::span<const uint8_t, kExtraBlockBytes> GetExtraBlock() const override
    {
        return std::span<const uint8_t, kExtraBlockBytes>(extraBlock, kExtraBlockBytes);
    }
    int GetTaskJetLevel() const override { return task.jetLevel; }
    void SetEndWithD100(int32_t on) override { endWithD100 = on; }

    // Identity.
    uint32_t ip = 0;  // IPv4 address, network order: the machine key
    uint8_t stationId[12] = {};
    uint8_t mac[6] = {};
    uint8_t firmwareVersion = 1;

    // Link and job state.
    uint8_t online = 0;
    TickMs lastHeardMs = 0;
    int32_t jobState = kJobIdle;
    NET_SendBuf dataQueue;     // pack type 0 to 41204: motion text
    NET_SendBuf panelQueue;    // pack type 1 to 41206: panel codes
    NET_SendBuf commandQueue;  // pack types 2 and up to 41205
    NET_SendBuf jetQueue;      // pack type 0 to 41209: jet raster
    uint8_t expectedRequest = 0;  // sequence number of the next request acted on
    P_Pivmora motionSource;       // the interpolator and the job start reference

    // Data waiting to be cut into packs.
    P_DataBuf motionStream;
    P_DataBuf jetStream;
    CMyBitmap raster;  // the band last rendered by Plt2Map
    Net_TaskData task;  // the job handed over by the user interface

    // Parameter blocks.
    PlotSettings plot;
    MachineParams machineParams;
    int32_t jetEndMarker = 0;  // jet band counter; negative once the jet data has ended
    uint8_t resumed = 0;       // the job was resumed by the machine
    SpeedLevelRecord speedLevels[3];
    JetHeadParams jet;
    uint8_t startPrefix = 0;     // the motion text of a fresh job starts with a prefix, ends "A100;"
    uint8_t optionBit = 0;
    uint8_t rightEdgeMarks = 0;  // the prepared job gets two marks at its right edge
    uint8_t autoContinue = 0;    // the next job starts without the operator
    uint8_t spRoles[8] = {};     // two-bit role of the pens SP1..SP8
    uint8_t machineKind = 0;
    uint8_t workWaiting = 4;     // dispatcher handshake: whether work waits for the machine
    uint8_t paramsReceived = 0;  // a "PQCN" arrived
    uint16_t knifeComp1 = 1000;  // thousandths
    uint16_t knifeComp2 = 0;
    float calibration[4] = {1000.0f, 1000.0f, 1000.0f, 1000.0f};  // ideal x, real x, ideal y, real y
    uint8_t extraBlockReceived = 0;  // a "PQCE" arrived
    uint8_t extraBlock[kExtraBlockBytes] = {};
    int32_t endWithD100 = 0;  // nonzero: the motion data always ends with "D100;"
    InterpolatorBaseSpeeds baseSpeeds;
    float xOrigin = 0.0f;  // the machine's origin as the parameter database keeps it
    float yOrigin = 0.0f;
    // Which records the database holds from this machine's store notices: bit 0 the origin
    // record, bit 1 the base speeds.
    uint8_t storedRecords = 0;

private:
    CString refusalReport_;  // a refused command not yet shown to the operator

private:
    // Creates a pack on queue and sends it at once; nothing when it cannot be built.
    void Send(DatagramSender& socket, NET_SendBuf& queue, uint16_t port, const uint8_t* payload, int32_t size, uint8_t type);
    void SendText(DatagramSender& socket, NET_SendBuf& queue, uint16_t port, const char* text, uint8_t type);
    // Creates and sends a status poll pack of type, unless a poll pack is still in flight.
    void SendPoll(DatagramSender& socket, uint8_t type);
    // Words the report of a command refused because a queue is full.
    void NoteRefusedCommand();
    // Resets the calibration to the fixed scales of the library.
    void ResetCalibration();
    void ProcAcknowledge(DatagramSender& socket, const uint8_t* datagram, int length);
    void ProcQueueReply(DatagramSender& socket, const uint8_t* datagram, int length);
    void ProcRequest(DatagramSender& socket, const uint8_t* datagram, int length);
    void ProcMachineParams(const uint8_t* datagram, int length);
    void ProcEndReport(DatagramSender& socket, const uint8_t* datagram, int length);
    void ProcStartRequest(DatagramSender& socket, const uint8_t* datagram, int length);
    void ProcValueReport(const uint8_t* datagram, int length);
    // Bytes of this machine's configuration file.
    size_t ConfigFileBytes() const;
    // Adopts the settings block's values of the motion source (a whole block of firmware 3).
    void LoadMotionSettings(const uint8_t* block);
    // The depth-parameter block from its 20 wire bytes.
    void ReadDepthBlock(const uint8_t* bytes);
    // The four tool depths of a fresh or a resumed job, depth pulses.
    void ToolDepths(bool resumed, int32_t out[4]) const;
    // Float `word` of the motion source's offsets block.
    float OffsetsFloat(int word) const;
    // Calibration factors ideal / real, each 1.0 when it is no usable number.
    void CalibrationFactors(double& gx, double& gy) const;
    // Band position of a head value or the band base: value x 80 x Y scale / Y_RelSCALE, rows.
    int32_t BandScaleValue(double value) const;
    // Rows below the lowest band edge: request value 3 (at least 100) or the scaled band base.
    int64_t JetBandBase() const;
    // Packs the warm-up band, or the band of the jet end marker, into the jet stream; false
    // when there is none.
    bool PackWarmUpBand();
    bool PackNextBand();
    // The motion source's level indices: cutting and jet (a value outside 0..2 counts as 0).
    int CuttingLevelIndex() const;
    int JetLevelIndex() const;
    // The motion source's job start reference: the machine's pulse count when the job started.
    uint32_t& JobStartReference();
    // Total pulses of the job the motion source walks.
    uint32_t TotalPulses();
    // Starts a fresh job on the motion source with the lists taken from the task box (either
    // may be null) and the machine's head position and depth.
    void StartInterpolator(PlotShapeCutList* lists[2], int32_t headX, int32_t headY, int32_t depth);
    // Restarts the motion source distance pulses from the job start.
    void ResumeInterpolator(uint32_t distance);
    // Stores the tool depths of a resumed job in the print list.
    void StoreResumeToolDepths();
    // Writes the key commands' values into the motion source's blocks.
    void SetOffsetsFloats(float first, float second);
    void SetDepthValues(int16_t a, int16_t b);
    void SetMagnetWord(int index, int16_t value);
};
