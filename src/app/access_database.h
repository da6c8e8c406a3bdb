// CAccessDataBase: the machine-parameter database "config.db" (SQLite) in the program
// directory, which keeps per machine ID the base speeds, the origin and the three speed sets
// that the controller sends to machines whose firmware does not keep them itself.
//
// Tables, one record per machine keyed by "ID" (the 24-hex-digit station ID): "BaseInfo"
// (IP, MAC, speeds, PWM values), "PanCtl" (origin) and "SpeedL", "SpeedM", "SpeedH" (speed
// levels 0, 1, 2: the motion speed set by name and the 32-byte speed-level record by position).
// Integers are stored in their column's sign and width with their bits kept, so every value
// reads back exactly; a stored value outside its field's range is an error.
//
// Use: one object per use, on the stack, never shared between threads (each has its own
// connection; the GUI thread and the link thread may use the database at the same time). The
// caller holds the machine-link manager's lock while an operation reads or writes a machine.
// Every operation runs in one transaction: a table is read into the machine, or written, whole
// or not at all. Errors are shown to the operator with SQLite's message.
#pragma once

#include "platform/cstring.h"

#include <cstdint>

class NET_Machine;
struct sqlite3;

// The writable program directory (WritableProgramDirectory) + "config.db".
CString GetConfigDatabasePath();

class CAccessDataBase {
public:
    CAccessDataBase() = default;
    // Closes the connection when it is open.
    virtual ~CAccessDataBase();
    CAccessDataBase(const CAccessDataBase&) = delete;
    CAccessDataBase& operator=(const CAccessDataBase&) = delete;

    // Opens (creating when missing) the database at path with its tables; an open connection
    // is closed first. 1, or 0 when the file is no database or cannot be opened (then nothing
    // is written to it).
    int OpenDatabase(const CString& path);

    // LoadBaseInfo, then LoadSpeedTable for levels 0, 1, 2; 1 when every step succeeded, 0
    // without a machine, without an open connection or after the first failed step.
    int LoadMachineRecords(NET_Machine* machine);
    // SaveBaseInfo with the PWM values, then SaveSpeedTable for levels 0, 1, 2.
    void SaveMachineRecords(NET_Machine* machine);

    // Takes "Speed" and "SpeedSpace" from the machine's record, sets its cutting speed and
    // both PWM values to 0, and rewrites the record's "IP" and "MAC"; a machine without a
    // record gets one of its current values. 1 on success.
    int LoadBaseInfo(NET_Machine* machine, const CString& id);
    // Writes "IP", "MAC", the three speeds and, with pwm, "PWM0" and "PWM1". 1 on success.
    int SaveBaseInfo(NET_Machine* machine, const CString& id, bool pwm = true);
    // Reads the level's record into the machine's speed set and speed-level record ("J" into
    // both); a machine without a record gets one of its current values. 1 on success.
    int LoadSpeedTable(NET_Machine* machine, const CString& id, int level);
    // Writes every column of the level's table. 1 on success.
    int SaveSpeedTable(NET_Machine* machine, const CString& id, int level);
    // Writes "xOrigin" and "yOrigin". 1 on success.
    int SavePanCtl(NET_Machine* machine, const CString& id);

    bool IsOpen() const { return connection_ != nullptr; }

private:
    void Close();

    sqlite3* connection_ = nullptr;
};

// Loads the stored records of a machine from the program's database, for machines whose
// firmware keeps no speeds of its own; 1 when they were loaded. The caller holds the lock.
int LoadStoredMachineRecords(NET_Machine& machine);
