// The machine-parameter database: records made on first load, exact round trips, what a load
// takes, one record per machine, damaged values and files, the link's load of old machines and
// the record-store notice.
#include "app/access_database.h"

#include "link_fixture.h"

#include "app/doc_corvane.h"
#include "app/main_frame_messages.h"
#include "app/udp_server.h"
#include "machinelink/machine_messages.h"
#include "machinelink/net_machine.h"
#include "support/recording_message_sink.h"
#include "support/recording_message_target.h"
#include "support/simulated_machine.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace corvane_test {
namespace {

const uint8_t kId[12] = {'S', 'I', 'M', '-', 'M', 'A', 'C', 'H', 'I', 'N', 'E', '1'};
const uint8_t kMac[6] = {0x02, 0, 0, 0, 0, 0x01};
constexpr const char* kIdText = "53494D2D4D414348494E4531";

// A fresh machine record of 127.0.0.9 with its defaults.
struct Machine {
    Machine() : m(LoopbackAddress(9), kMac, kId) { m.InitVal(); }
    NET_Machine m;
};

// Runs a query on the database file with a connection of the test's own; the rows as text.
std::vector<std::vector<std::string>> Query(const std::string& sql)
{
    std::vector<std::vector<std::string>> rows;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(GetConfigDatabasePath().ToUtf8().c_str(), &db), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const unsigned char* text = sqlite3_column_text(stmt, i);
            row.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
        }
        rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

void Execute(const std::string& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(GetConfigDatabasePath().ToUtf8().c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

bool SameSpeeds(NET_Machine& a, NET_Machine& b)
{
    for (int level = 0; level < 3; ++level) {
        if (std::memcmp(&a.motionSource.interpolator.speedConfigs[level], &b.motionSource.interpolator.speedConfigs[level],
                        sizeof(SpeedConfig)) != 0)
            return false;
        const SpeedLevelRecord& x = a.speedLevels[level];
        const SpeedLevelRecord& y = b.speedLevels[level];
        if (x.speed != y.speed || x.secondSpeed != y.secondSpeed || x.levelValue1 != y.levelValue1 ||
            x.levelValue2 != y.levelValue2 || x.levelValue3 != y.levelValue3 || x.zeroWord != y.zeroWord ||
            x.bidiOffset != y.bidiOffset || std::memcmp(x.headValues, y.headValues, sizeof x.headValues) != 0)
            return false;
    }
    const InterpolatorBaseSpeeds& p = a.baseSpeeds;
    const InterpolatorBaseSpeeds& q = b.baseSpeeds;
    return p.speed == q.speed && p.speedIncise == q.speedIncise && p.speedSpace == q.speedSpace && p.pwm0 == q.pwm0 &&
           p.pwm1 == q.pwm1;
}

// A message sink that notes, for the message it shows, whether another thread can take lock
// meanwhile; the probing thread ends once the lock is free again.
class LockProbingSink : public CMessageSink {
public:
    explicit LockProbingSink(CSyncObject& lock) : lock_(lock) { SetMessageSink(this); }
    ~LockProbingSink() override
    {
        SetMessageSink(nullptr);
        if (probe_.joinable()) probe_.join();
    }
    int Show(const CString&, const CString&, UINT) override
    {
        if (probe_.joinable()) return IDOK;
        std::future<void> taken = taken_.get_future();
        probe_ = std::thread([this] {
            CSingleLock hold(&lock_, TRUE);
            taken_.set_value();
        });
        lockFree = taken.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
        ++shown;
        return IDOK;
    }

    int shown = 0;
    bool lockFree = false;

private:
    CSyncObject& lock_;
    std::promise<void> taken_;
    std::thread probe_;
};

class AccessDataBase : public ::testing::Test {
protected:
    RecordingMessageSink sink_;
};

TEST_F(AccessDataBase, AFirstLoadStoresTheMachinesValuesAndChangesNothing)
{
    Machine machine, untouched;
    machine.m.baseSpeeds = {11, 12, 13, 14, 15};
    untouched.m.baseSpeeds = machine.m.baseSpeeds;
    CAccessDataBase db;
    ASSERT_EQ(db.OpenDatabase(GetConfigDatabasePath()), 1);
    ASSERT_EQ(db.LoadMachineRecords(&machine.m), 1);
    EXPECT_TRUE(SameSpeeds(machine.m, untouched.m));
    EXPECT_TRUE(sink_.Shown().empty());

    EXPECT_EQ(Query("SELECT ID, IP, MAC, Speed, SpeedIncise, SpeedSpace, PWM0, PWM1 FROM BaseInfo"),
              (std::vector<std::vector<std::string>>{
                  {kIdText, "127.0.0.9", NET_Machine::ConvertMac(kMac).ToUtf8(), "11", "12", "13", "14", "15"}}));
    EXPECT_EQ(Query("SELECT usDCMotoSpeed, usStepMotoInitSpeed, uiStepMotoMaxSpeed, uiStepMotoMaxAm, J, xAccLine "
                    "FROM SpeedL"),
              (std::vector<std::vector<std::string>>{{"1000", "700", "40000", "100000", "200000", "160000.0"}}));
    for (const char* table : {"SpeedM", "SpeedH"})
        EXPECT_EQ(Query(std::string("SELECT COUNT(*) FROM ") + table)[0][0], "1") << table;
    EXPECT_EQ(Query("SELECT COUNT(*) FROM PanCtl")[0][0], "0");
}

TEST_F(AccessDataBase, DistinctValuesRoundTripExactly)
{
    Machine machine;
    NET_Machine& m = machine.m;
    for (int level = 0; level < 3; ++level) {
        SpeedConfig& c = m.motionSource.interpolator.speedConfigs[level];
        double* doubles[] = {&c.xAccLine, &c.yAccLine, &c.xVecMax, &c.yVecMax, &c.xVecInit,
                             &c.yVecInit, &c.xAccCrv, &c.yAccCrv, &c.xAccCrvJiWan, &c.yAccCrvJiWan};
        for (int i = 0; i < 10; ++i) *doubles[i] = 0.1 + 1000.0 * level + i / 3.0;
        SpeedLevelRecord& r = m.speedLevels[level];
        r.speed = static_cast<uint16_t>(65535 - level);
        r.secondSpeed = static_cast<uint16_t>(40000 + level);
        r.levelValue1 = static_cast<int32_t>(0xF0000001u + level);  // above 2^31 as unsigned
        r.levelValue2 = static_cast<int32_t>(0x80000000u + level);
        r.levelValue3 = -123456 - level;
        c.J = r.levelValue3;
        r.zeroWord = static_cast<uint16_t>(0x8001 + level);  // a negative 16-bit column
        r.bidiOffset = static_cast<int16_t>(-32768 + level);
        for (int h = 0; h < 6; ++h) r.headValues[h] = static_cast<int16_t>(-1000 * (h + 1) - level);
    }
    m.baseSpeeds = {-5, 6, 2147483647, 65535, 1};
    {
        CAccessDataBase db;
        ASSERT_EQ(db.OpenDatabase(GetConfigDatabasePath()), 1);
        db.SaveMachineRecords(&m);
    }
    EXPECT_EQ(Query("SELECT uiStepMotoMaxSpeed, sStartPosCompensate, usLeftCorrectionRange FROM SpeedL"),
              (std::vector<std::vector<std::string>>{{"4026531841", "-32767", "62536"}}));

    Machine loaded;
    CAccessDataBase db;
    ASSERT_EQ(db.OpenDatabase(GetConfigDatabasePath()), 1);
    ASSERT_EQ(db.LoadMachineRecords(&loaded.m), 1);
    // A load takes the speed and idle speed and clears the cutting speed and the PWM values.
    m.baseSpeeds = {-5, 0, 2147483647, 0, 0};
    EXPECT_TRUE(SameSpeeds(loaded.m, m));
    EXPECT_TRUE(sink_.Shown().empty());
}

TEST_F(AccessDataBase, LoadingBaseInfoClearsCuttingSpeedAndPwmAndRewritesTheAddress)
{
    Execute("CREATE TABLE BaseInfo (ID TEXT PRIMARY KEY, IP TEXT, MAC TEXT, Speed INTEGER, SpeedIncise INTEGER, "
            "SpeedSpace INTEGER, PWM0 INTEGER, PWM1 INTEGER)");
    Execute(std::string("INSERT INTO BaseInfo VALUES ('") + kIdText + "', '10.0.0.1', 'old', 300, 400, 500, 600, 700)");
    Machine machine;
    machine.m.baseSpeeds = {1, 2, 3, 4, 5};
    CAccessDataBase db;
    ASSERT_EQ(db.OpenDatabase(GetConfigDatabasePath()), 1);
    CString id;
    machine.m.GetID(id);
    ASSERT_EQ(db.LoadBaseInfo(&machine.m, id), 1);
    EXPECT_EQ(machine.m.baseSpeeds.speed, 300);
    EXPECT_EQ(machine.m.baseSpeeds.speedIncise, 0);
    EXPECT_EQ(machine.m.baseSpeeds.speedSpace, 500);
    EXPECT_EQ(machine.m.baseSpeeds.pwm0, 0);
    EXPECT_EQ(machine.m.baseSpeeds.pwm1, 0);
    EXPECT_EQ(Query("SELECT IP, MAC, Speed, SpeedIncise, PWM0 FROM BaseInfo"),
              (std::vector<std::vector<std::string>>{
                  {"127.0.0.9", NET_Machine::ConvertMac(kMac).ToUtf8(), "300", "400", "600"}}));

    // The short save of the record-store notice leaves the PWM columns; the origin has its table.
    machine.m.baseSpeeds = {7, 8, 9, 10, 11};
    machine.m.xOrigin = 1.5f;
    machine.m.yOrigin = -0.25f;
    ASSERT_EQ(db.SaveBaseInfo(&machine.m, id, false), 1);
    ASSERT_EQ(db.SavePanCtl(&machine.m, id), 1);
    ASSERT_EQ(db.SavePanCtl(&machine.m, id), 1);
    EXPECT_EQ(Query("SELECT Speed, SpeedIncise, SpeedSpace, PWM0, PWM1 FROM BaseInfo"),
              (std::vector<std::vector<std::string>>{{"7", "8", "9", "600", "700"}}));
    EXPECT_EQ(Query("SELECT xOrigin, yOrigin FROM PanCtl"), (std::vector<std::vector<std::string>>{{"1.5", "-0.25"}}));
}

TEST_F(AccessDataBase, SavingTwiceKeepsOneRecordPerTable)
{
    Machine machine;
    CAccessDataBase db;
    ASSERT_EQ(db.OpenDatabase(GetConfigDatabasePath()), 1);
    db.SaveMachineRecords(&machine.m);
    machine.m.speedLevels[2].speed = 4321;
    db.SaveMachineRecords(&machine.m);
    for (const char* table : {"BaseInfo", "SpeedL", "SpeedM", "SpeedH"})
        EXPECT_EQ(Query(std::string("SELECT COUNT(*) FROM ") + table)[0][0], "1") << table;
    EXPECT_EQ(Query("SELECT usDCMotoSpeed FROM SpeedH")[0][0], "4321");
    // Opening again keeps what is there.
    ASSERT_EQ(db.OpenDatabase(GetConfigDatabasePath()), 1);
    EXPECT_EQ(Query("SELECT COUNT(*) FROM SpeedH")[0][0], "1");
}

TEST_F(AccessDataBase, ABadStoredValueLoadsNothingOfItsTableAndIsReported)
{
    Machine machine;
    {
        CAccessDataBase db;
        ASSERT_EQ(db.OpenDatabase(GetConfigDatabasePath()), 1);
        machine.m.speedLevels[0].speed = 1;
        machine.m.speedLevels[0].secondSpeed = 2;
        db.SaveMachineRecords(&machine.m);
    }
    struct Case {
        const char* name;
        const char* update;
    };
    const Case cases[] = {
        {"above a 16-bit field", "UPDATE SpeedL SET usStepMotoInitSpeed = 70000"},
        {"below an unsigned field", "UPDATE SpeedL SET uiStepMotoMaxAm = -1"},
        {"above a 32-bit field", "UPDATE SpeedL SET J = 4294967296"},
        {"text for a number", "UPDATE SpeedL SET xAccLine = 'fast'"},
        {"no value", "UPDATE SpeedL SET sRightCorrectionLen = NULL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Execute("UPDATE SpeedL SET usStepMotoInitSpeed = 2, uiStepMotoMaxAm = 0, J = 0, xAccLine = 0.5, "
                "sRightCorrectionLen = 0, usDCMotoSpeed = 99");
        Execute(c.update);
        Machine fresh;
        const size_t shownBefore = sink_.Shown().size();
        CAccessDataBase db;
        ASSERT_EQ(db.OpenDatabase(GetConfigDatabasePath()), 1);
        EXPECT_EQ(db.LoadMachineRecords(&fresh.m), 0);
        EXPECT_EQ(fresh.m.speedLevels[0].speed, 1000);  // the table was not applied in part
        ASSERT_EQ(sink_.Shown().size(), shownBefore + 1);
        EXPECT_EQ(sink_.Shown().back().caption, std::u16string(u"Corvane"));
    }

    CAccessDataBase closed;
    EXPECT_EQ(closed.LoadMachineRecords(&machine.m), 0);
    EXPECT_EQ(closed.SaveBaseInfo(&machine.m, u"X"), 0);
    CAccessDataBase db;
    ASSERT_EQ(db.OpenDatabase(GetConfigDatabasePath()), 1);
    EXPECT_EQ(db.LoadMachineRecords(nullptr), 0);
    CString id;
    machine.m.GetID(id);
    EXPECT_EQ(db.LoadSpeedTable(&machine.m, id, 3), 0);
}

TEST_F(AccessDataBase, TheRecordStoreNoticeStoresTheChosenRecordOfAKnownMachine)
{
    CUDPServer server;
    CDocCorvane doc(server);
    MainFrameMessages frame(doc, CMessageTarget::Delivery::ByHand);
    auto* machine = new NET_Machine(LoopbackAddress(9), kMac, kId);
    machine->InitVal();
    machine->baseSpeeds = {21, 22, 23, 24, 25};
    machine->xOrigin = 12.5f;
    machine->yOrigin = -3.25f;
    ASSERT_EQ(server.AddMachineSorted(machine), 1);
    const auto notice = [&](uint32_t key, LPARAM record) {
        frame.Post(WM_NET_MACHINE_SAVE_RECORD, key, record);
        frame.DeliverPosted();
    };

    // An unknown machine and a record that does not exist store nothing.
    notice(LoopbackAddress(10), 0);
    notice(machine->ip, 2);
    notice(machine->ip, -1);
    EXPECT_FALSE(std::filesystem::exists(GetConfigDatabasePath().ToUtf8()));
    EXPECT_EQ(machine->storedRecords, 0);

    notice(machine->ip, 0);
    EXPECT_EQ(Query("SELECT ID, xOrigin, yOrigin FROM PanCtl"),
              (std::vector<std::vector<std::string>>{{kIdText, "12.5", "-3.25"}}));
    EXPECT_EQ(Query("SELECT COUNT(*) FROM BaseInfo")[0][0], "0");
    EXPECT_EQ(machine->storedRecords, 1);
    notice(machine->ip, 1);
    EXPECT_EQ(Query("SELECT ID, IP, Speed, SpeedIncise, SpeedSpace, PWM0, PWM1 FROM BaseInfo"),
              (std::vector<std::vector<std::string>>{{kIdText, "127.0.0.9", "21", "22", "23", "NULL", "NULL"}}));
    EXPECT_EQ(machine->storedRecords, 3);
    EXPECT_TRUE(sink_.Shown().empty());

    // A refused store is shown while the link thread can go on, and counts as not stored.
    machine->storedRecords = 0;
    Execute("CREATE TRIGGER refuseInsert BEFORE INSERT ON PanCtl BEGIN SELECT RAISE(ABORT, 'refused'); END;"
            "CREATE TRIGGER refuseUpdate BEFORE UPDATE ON PanCtl BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    {
        LockProbingSink probing(server.GetLock());
        notice(machine->ip, 0);
        EXPECT_EQ(probing.shown, 1);
        EXPECT_TRUE(probing.lockFree);
    }
    SetMessageSink(&sink_);
    EXPECT_EQ(machine->storedRecords, 0);

    // A database that cannot be opened is left alone and nothing counts as stored.
    const std::string bytes = "no database";
    ASSERT_TRUE(WriteFile(GetConfigDatabasePath().ToUtf8(), bytes));
    notice(machine->ip, 0);
    EXPECT_EQ(machine->storedRecords, 0);
    EXPECT_EQ(ReadFile(GetConfigDatabasePath().ToUtf8()), bytes);
}

TEST_F(AccessDataBase, AFileThatIsNoDatabaseIsLeftAsItIs)
{
    const std::string path = GetConfigDatabasePath().ToUtf8();
    const std::string bytes = "Standard Jet DB, or anything else that is no SQLite file at all";
    ASSERT_TRUE(WriteFile(path, bytes));
    CAccessDataBase db;
    EXPECT_EQ(db.OpenDatabase(GetConfigDatabasePath()), 0);
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(ReadFile(path), bytes);
    Machine machine;
    EXPECT_EQ(LoadStoredMachineRecords(machine.m), 0);
    EXPECT_EQ(ReadFile(path), bytes);
    EXPECT_EQ(db.OpenDatabase(CString::FromUtf8(ScratchDir() + "none/config.db")), 0);
}

// The link loads the stored records of new machines of firmware 2 or lower before it tells
// the main window about them.
class DatabaseOnAnnounce : public ::testing::Test {
protected:
    // Starts machine and link and waits until the link reports the machine as new.
    void Admit(SimulatedMachine& machine, LoopbackLink& link)
    {
        std::string error;
        ASSERT_TRUE(machine.Start(&error)) << error;
        ASSERT_TRUE(link.Start());
        ASSERT_TRUE(WaitUntil([&] {
            for (const PostedMessage& m : window_.Drain())
                if (m.message == WM_NET_MACHINE_FOUND && m.wParam == machine.Key()) return true;
            return false;
        }));
    }

    FakeClock clock_;
    RecordingMessageTarget window_;
    RecordingMessageSink sink_;
};

TEST_F(DatabaseOnAnnounce, AFirmwareOneMachineGetsItsRecordsAndTheStoredSpeed)
{
    Execute("CREATE TABLE BaseInfo (ID TEXT PRIMARY KEY, IP TEXT, MAC TEXT, Speed INTEGER, SpeedIncise INTEGER, "
            "SpeedSpace INTEGER, PWM0 INTEGER, PWM1 INTEGER)");
    Execute(std::string("INSERT INTO BaseInfo (ID, Speed, SpeedSpace) VALUES ('") + kIdText + "', 2468, 1357)");
    SimulatedMachineOptions options;
    options.hostOctet = 131;
    options.firmware = 1;
    options.settingsBlock.clear();
    SimulatedMachine machine(options);
    LoopbackLink link(131);
    ASSERT_NO_FATAL_FAILURE(Admit(machine, link));

    {
        CSingleLock guard(&link.Server().GetLock(), TRUE);
        NET_Machine* m = link.Server().FindMachineByKey(machine.Key());
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->baseSpeeds.speed, 2468);
        EXPECT_EQ(m->baseSpeeds.speedSpace, 1357);
    }
    EXPECT_EQ(Query("SELECT ID, IP FROM BaseInfo"),
              (std::vector<std::vector<std::string>>{{kIdText, "127.0.0.131"}}));
    EXPECT_EQ(Query("SELECT COUNT(*) FROM SpeedH")[0][0], "1");
    EXPECT_TRUE(sink_.Shown().empty());
}

TEST_F(DatabaseOnAnnounce, AFirmwareTwelveMachineOpensNoDatabase)
{
    SimulatedMachineOptions options;
    options.hostOctet = 132;
    SimulatedMachine machine(options);
    LoopbackLink link(132);
    ASSERT_NO_FATAL_FAILURE(Admit(machine, link));
    EXPECT_NE(access(GetConfigDatabasePath().ToUtf8().c_str(), F_OK), 0);
}

}  // namespace
}  // namespace corvane_test
