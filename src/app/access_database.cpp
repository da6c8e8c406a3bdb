// The machine-parameter database over the system's SQLite library: tables, bound statements,
// one transaction per operation and exact, range-checked values.
#include "app/access_database.h"

#include "machinelink/net_machine.h"
#include "platform/message_box.h"
#include "platform/program_directory.h"

#include <sqlite3.h>

#include <string>
#include <type_traits>
#include <vector>

namespace {

// How long a connection waits for another one (the other thread's) to finish writing.
constexpr int kBusyTimeoutMs = 2000;

enum class ColumnKind { Text, Double, Single, I16, U16, I32, U32 };

struct Column {
    const char* name;
    ColumnKind kind;
};

// One column's value: integers in their column's sign, reals, or text (UTF-8).
struct Value {
    int64_t integer = 0;
    double real = 0.0;
    std::string text;
};
using Row = std::vector<Value>;

const char* SqlType(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Text: return "TEXT";
    case ColumnKind::Double:
    case ColumnKind::Single: return "REAL";
    default: return "INTEGER";
    }
}

bool InRange(ColumnKind kind, int64_t v)
{
    switch (kind) {
    case ColumnKind::I16: return v >= INT16_MIN && v <= INT16_MAX;
    case ColumnKind::U16: return v >= 0 && v <= UINT16_MAX;
    case ColumnKind::I32: return v >= INT32_MIN && v <= INT32_MAX;
    case ColumnKind::U32: return v >= 0 && v <= UINT32_MAX;
    default: return true;
    }
}

// ---- The tables' columns and how they map to a machine ----

const std::vector<Column> kBaseInfoColumns = {
    {"IP", ColumnKind::Text},          {"MAC", ColumnKind::Text},        {"Speed", ColumnKind::I32},
    {"SpeedIncise", ColumnKind::I32}, {"SpeedSpace", ColumnKind::I32}, {"PWM0", ColumnKind::U16},
    {"PWM1", ColumnKind::U16},
};
constexpr size_t kBaseInfoAddressColumns = 2;  // "IP" and "MAC"
constexpr size_t kBaseInfoColumnsWithoutPwm = 5;
// What a load takes from the record: "Speed" and "SpeedSpace".
const std::vector<Column> kBaseInfoLoadedColumns = {{"Speed", ColumnKind::I32}, {"SpeedSpace", ColumnKind::I32}};

const std::vector<Column> kPanCtlColumns = {{"xOrigin", ColumnKind::Single}, {"yOrigin", ColumnKind::Single}};

const char* const kSpeedTables[3] = {"SpeedL", "SpeedM", "SpeedH"};

struct SpeedDouble {
    const char* name;
    double SpeedConfig::*field;
};
const SpeedDouble kSpeedDoubles[] = {
    {"xAccLine", &SpeedConfig::xAccLine}, {"yAccLine", &SpeedConfig::yAccLine},
    {"xVecMax", &SpeedConfig::xVecMax},   {"yVecMax", &SpeedConfig::yVecMax},
    {"xVecInit", &SpeedConfig::xVecInit}, {"yVecInit", &SpeedConfig::yVecInit},
    {"xAccCrv", &SpeedConfig::xAccCrv},   {"yAccCrv", &SpeedConfig::yAccCrv},
    {"xAccCrvJiWan", &SpeedConfig::xAccCrvJiWan}, {"yAccCrvJiWan", &SpeedConfig::yAccCrvJiWan},
};

// An integer column of the 32-byte speed-level record: the field's bits as the column's type.
struct SpeedInteger {
    const char* name;
    ColumnKind kind;
    int64_t (*get)(const SpeedLevelRecord&);
    void (*set)(SpeedLevelRecord&, int64_t);
};

template <class T>
constexpr ColumnKind KindOf()
{
    if constexpr (std::is_same_v<T, int16_t>) return ColumnKind::I16;
    else if constexpr (std::is_same_v<T, uint16_t>) return ColumnKind::U16;
    else if constexpr (std::is_same_v<T, int32_t>) return ColumnKind::I32;
    else return ColumnKind::U32;
}

// A record field held in a column of type ColumnT (its bits kept, in the column's sign).
template <class ColumnT, auto Field>
SpeedInteger FieldColumn(const char* name)
{
    return {name, KindOf<ColumnT>(), [](const SpeedLevelRecord& r) -> int64_t { return static_cast<ColumnT>(r.*Field); },
            [](SpeedLevelRecord& r, int64_t v) {
                r.*Field = static_cast<std::remove_reference_t<decltype(r.*Field)>>(static_cast<ColumnT>(v));
            }};
}
template <class ColumnT, int Index>
SpeedInteger HeadColumn(const char* name)
{
    return {name, KindOf<ColumnT>(),
            [](const SpeedLevelRecord& r) -> int64_t { return static_cast<ColumnT>(r.headValues[Index]); },
            [](SpeedLevelRecord& r, int64_t v) { r.headValues[Index] = static_cast<int16_t>(static_cast<ColumnT>(v)); }};
}

// "J" first: it also goes into the speed set.
const SpeedInteger kSpeedIntegers[] = {
    FieldColumn<int32_t, &SpeedLevelRecord::levelValue3>("J"),
    FieldColumn<int16_t, &SpeedLevelRecord::bidiOffset>("sBackCompensate"),
    HeadColumn<int16_t, 0>("sDCMotoLeftCompensate"),
    HeadColumn<int16_t, 1>("sDCMotoRightCompensate"),
    FieldColumn<int16_t, &SpeedLevelRecord::zeroWord>("sStartPosCompensate"),
    FieldColumn<uint32_t, &SpeedLevelRecord::levelValue2>("uiStepMotoMaxAm"),
    FieldColumn<uint32_t, &SpeedLevelRecord::levelValue1>("uiStepMotoMaxSpeed"),
    FieldColumn<uint16_t, &SpeedLevelRecord::speed>("usDCMotoSpeed"),
    FieldColumn<uint16_t, &SpeedLevelRecord::secondSpeed>("usStepMotoInitSpeed"),
    HeadColumn<uint16_t, 2>("usLeftCorrectionRange"),
    HeadColumn<int16_t, 3>("sLeftCorrectionLen"),
    HeadColumn<uint16_t, 4>("usRightCorrectionRange"),
    HeadColumn<int16_t, 5>("sRightCorrectionLen"),
};

std::vector<Column> SpeedColumns()
{
    std::vector<Column> columns;
    for (const SpeedDouble& d : kSpeedDoubles) columns.push_back({d.name, ColumnKind::Double});
    for (const SpeedInteger& i : kSpeedIntegers) columns.push_back({i.name, i.kind});
    return columns;
}

bool IsLevel(int level) { return level >= 0 && level < 3; }

SpeedConfig& SpeedSet(NET_Machine& m, int level) { return m.motionSource.interpolator.speedConfigs[level]; }

Row SpeedRow(NET_Machine& m, int level)
{
    Row row;
    for (const SpeedDouble& d : kSpeedDoubles) row.push_back(Value{0, SpeedSet(m, level).*d.field, {}});
    for (const SpeedInteger& i : kSpeedIntegers) row.push_back(Value{i.get(m.speedLevels[level]), 0.0, {}});
    return row;
}

// Puts a speed table's row into the level's speed set and record; "J" into both.
void ApplySpeedRow(NET_Machine& m, int level, const Row& row)
{
    size_t k = 0;
    for (const SpeedDouble& d : kSpeedDoubles) SpeedSet(m, level).*d.field = row[k++].real;
    for (const SpeedInteger& i : kSpeedIntegers) i.set(m.speedLevels[level], row[k++].integer);
    SpeedSet(m, level).J = static_cast<double>(m.speedLevels[level].levelValue3);
}

std::string Utf8(const CString& text) { return text.ToUtf8(); }

Row BaseInfoRow(NET_Machine& m)
{
    CString ip, mac;
    m.GetIP(ip);
    m.GetMAC(mac);
    const InterpolatorBaseSpeeds& b = m.baseSpeeds;
    return {Value{0, 0.0, Utf8(ip)}, Value{0, 0.0, Utf8(mac)}, Value{b.speed, 0.0, {}}, Value{b.speedIncise, 0.0, {}},
            Value{b.speedSpace, 0.0, {}}, Value{b.pwm0, 0.0, {}}, Value{b.pwm1, 0.0, {}}};
}

// ---- Statements ----

std::string Quoted(const char* name) { return std::string("\"") + name + "\""; }

class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) { sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr); }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return stmt_ != nullptr; }
    sqlite3_stmt* Get() const { return stmt_; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

bool Bind(sqlite3_stmt* stmt, int index, ColumnKind kind, const Value& v)
{
    switch (kind) {
    case ColumnKind::Text:
        return sqlite3_bind_text(stmt, index, v.text.c_str(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT) ==
               SQLITE_OK;
    case ColumnKind::Double:
    case ColumnKind::Single: return sqlite3_bind_double(stmt, index, v.real) == SQLITE_OK;
    default: return sqlite3_bind_int64(stmt, index, v.integer) == SQLITE_OK;
    }
}

// What went wrong in one operation: SQLite's message, or a stored value out of its field's range.
class Failure {
public:
    explicit Failure(sqlite3* db) : db_(db) {}
    bool Sql()
    {
        if (text_.empty()) text_ = sqlite3_errmsg(db_);
        return false;
    }
    bool OutOfRange(const char* table, const char* column)
    {
        if (text_.empty()) text_ = std::string("The value of \"") + column + "\" in \"" + table + "\" is not a valid value.";
        return false;
    }
    void Report() const { AfxMessageBox(CString::FromUtf8(text_)); }

private:
    sqlite3* db_;
    std::string text_;
};

bool Exec(sqlite3* db, const char* sql, Failure& failure)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || failure.Sql();
}

// Writes the columns of the machine's record in table (inserted when missing, else updated).
bool Upsert(sqlite3* db, const char* table, const std::string& id, const std::vector<Column>& columns, size_t count,
            const Row& row, Failure& failure)
{
    std::string names = "\"ID\"", marks = "?", updates;
    for (size_t k = 0; k < count; ++k) {
        names += "," + Quoted(columns[k].name);
        marks += ",?";
        updates += (k ? "," : "") + Quoted(columns[k].name) + "=excluded." + Quoted(columns[k].name);
    }
    Statement s(db, "INSERT INTO " + Quoted(table) + " (" + names + ") VALUES (" + marks +
                        ") ON CONFLICT(\"ID\") DO UPDATE SET " + updates);
    if (!s.Ok()) return failure.Sql();
    if (sqlite3_bind_text(s.Get(), 1, id.c_str(), static_cast<int>(id.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        return failure.Sql();
    for (size_t k = 0; k < count; ++k)
        if (!Bind(s.Get(), static_cast<int>(k) + 2, columns[k].kind, row[k])) return failure.Sql();
    return sqlite3_step(s.Get()) == SQLITE_DONE || failure.Sql();
}

// Reads the machine's record of table; found tells whether there is one. A value of the
// wrong type or outside its field's range fails the read.
bool Select(sqlite3* db, const char* table, const std::string& id, const std::vector<Column>& columns, Row& row,
            bool& found, Failure& failure)
{
    std::string names;
    for (size_t k = 0; k < columns.size(); ++k) names += (k ? "," : "") + Quoted(columns[k].name);
    Statement s(db, "SELECT " + names + " FROM " + Quoted(table) + " WHERE \"ID\" = ?");
    if (!s.Ok()) return failure.Sql();
    if (sqlite3_bind_text(s.Get(), 1, id.c_str(), static_cast<int>(id.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        return failure.Sql();
    const int step = sqlite3_step(s.Get());
    if (step == SQLITE_DONE) {
        found = false;
        return true;
    }
    if (step != SQLITE_ROW) return failure.Sql();
    found = true;
    row.assign(columns.size(), Value{});
    for (size_t k = 0; k < columns.size(); ++k) {
        const int i = static_cast<int>(k);
        const int type = sqlite3_column_type(s.Get(), i);
        switch (columns[k].kind) {
        case ColumnKind::Text:
            if (type != SQLITE_TEXT) return failure.OutOfRange(table, columns[k].name);
            row[k].text = reinterpret_cast<const char*>(sqlite3_column_text(s.Get(), i));
            break;
        case ColumnKind::Double:
        case ColumnKind::Single:
            if (type != SQLITE_FLOAT && type != SQLITE_INTEGER) return failure.OutOfRange(table, columns[k].name);
            row[k].real = sqlite3_column_double(s.Get(), i);
            break;
        default:
            if (type != SQLITE_INTEGER) return failure.OutOfRange(table, columns[k].name);
            row[k].integer = sqlite3_column_int64(s.Get(), i);
            if (!InRange(columns[k].kind, row[k].integer)) return failure.OutOfRange(table, columns[k].name);
        }
    }
    return true;
}

std::string CreateTableSql(const char* table, const std::vector<Column>& columns)
{
    std::string sql = "CREATE TABLE IF NOT EXISTS " + Quoted(table) + " (\"ID\" TEXT PRIMARY KEY";
    for (const Column& c : columns) sql += "," + Quoted(c.name) + " " + SqlType(c.kind);
    return sql + ")";
}

}  // namespace

CString GetConfigDatabasePath() { return CString::FromUtf8(WritableProgramDirectory() + "config.db"); }

CAccessDataBase::~CAccessDataBase() { Close(); }

void CAccessDataBase::Close()
{
    if (connection_) sqlite3_close(connection_);
    connection_ = nullptr;
}

int CAccessDataBase::OpenDatabase(const CString& path)
{
    Close();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.ToUtf8().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return 0;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // The tables in one transaction: a file that is no database fails here and is not written.
    Failure failure(db);
    bool ok = Exec(db, "BEGIN IMMEDIATE", failure);
    if (ok) {
        const std::vector<Column> speedColumns = SpeedColumns();
        for (const std::string& sql : {CreateTableSql("BaseInfo", kBaseInfoColumns), CreateTableSql("PanCtl", kPanCtlColumns),
                                       CreateTableSql(kSpeedTables[0], speedColumns),
                                       CreateTableSql(kSpeedTables[1], speedColumns),
                                       CreateTableSql(kSpeedTables[2], speedColumns)})
            ok = ok && Exec(db, sql.c_str(), failure);
        ok = ok && Exec(db, "COMMIT", failure);
        if (!ok) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (!ok) {
        sqlite3_close(db);
        return 0;
    }
    connection_ = db;
    return 1;
}

int CAccessDataBase::LoadMachineRecords(NET_Machine* machine)
{
    if (!machine || !connection_) return 0;
    CString id;
    machine->GetID(id);
    // A failed step fails the whole load (the steps done before it stay applied).
    if (!LoadBaseInfo(machine, id)) return 0;
    for (int level = 0; level < 3; ++level)
        if (!LoadSpeedTable(machine, id, level)) return 0;
    return 1;
}

void CAccessDataBase::SaveMachineRecords(NET_Machine* machine)
{
    if (!machine || !connection_) return;
    CString id;
    machine->GetID(id);
    if (!SaveBaseInfo(machine, id, true)) return;
    for (int level = 0; level < 3; ++level)
        if (!SaveSpeedTable(machine, id, level)) return;
}

namespace {

// Runs body in one transaction; on failure everything is rolled back and the operator told.
template <class Body>
int InTransaction(sqlite3* db, Body body)
{
    if (!db) return 0;
    Failure failure(db);
    if (!Exec(db, "BEGIN IMMEDIATE", failure)) {
        failure.Report();
        return 0;
    }
    if (body(failure) && Exec(db, "COMMIT", failure)) return 1;
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    failure.Report();
    return 0;
}

}  // namespace

int CAccessDataBase::LoadBaseInfo(NET_Machine* machine, const CString& id)
{
    if (!machine) return 0;
    const std::string key = Utf8(id);
    const Row current = BaseInfoRow(*machine);
    Row stored;
    bool found = false;
    const int ok = InTransaction(connection_, [&](Failure& failure) {
        if (!Select(connection_, "BaseInfo", key, kBaseInfoLoadedColumns, stored, found, failure)) return false;
        if (!found) return Upsert(connection_, "BaseInfo", key, kBaseInfoColumns, kBaseInfoColumns.size(), current, failure);
        return Upsert(connection_, "BaseInfo", key, kBaseInfoColumns, kBaseInfoAddressColumns, current, failure);
    });
    if (ok && found) {
        machine->baseSpeeds.speed = static_cast<int32_t>(stored[0].integer);
        machine->baseSpeeds.speedSpace = static_cast<int32_t>(stored[1].integer);
        machine->baseSpeeds.speedIncise = 0;
        machine->baseSpeeds.pwm0 = 0;
        machine->baseSpeeds.pwm1 = 0;
    }
    return ok;
}

int CAccessDataBase::SaveBaseInfo(NET_Machine* machine, const CString& id, bool pwm)
{
    if (!machine) return 0;
    const Row row = BaseInfoRow(*machine);
    const size_t count = pwm ? kBaseInfoColumns.size() : kBaseInfoColumnsWithoutPwm;
    return InTransaction(connection_, [&](Failure& failure) {
        return Upsert(connection_, "BaseInfo", Utf8(id), kBaseInfoColumns, count, row, failure);
    });
}

int CAccessDataBase::LoadSpeedTable(NET_Machine* machine, const CString& id, int level)
{
    if (!machine || !IsLevel(level)) return 0;
    const std::vector<Column> columns = SpeedColumns();
    const std::string key = Utf8(id);
    const Row current = SpeedRow(*machine, level);
    Row stored;
    bool found = false;
    const int ok = InTransaction(connection_, [&](Failure& failure) {
        if (!Select(connection_, kSpeedTables[level], key, columns, stored, found, failure)) return false;
        return found || Upsert(connection_, kSpeedTables[level], key, columns, columns.size(), current, failure);
    });
    if (ok && found) ApplySpeedRow(*machine, level, stored);
    return ok;
}

int CAccessDataBase::SaveSpeedTable(NET_Machine* machine, const CString& id, int level)
{
    if (!machine || !IsLevel(level)) return 0;
    const std::vector<Column> columns = SpeedColumns();
    const Row row = SpeedRow(*machine, level);
    return InTransaction(connection_, [&](Failure& failure) {
        return Upsert(connection_, kSpeedTables[level], Utf8(id), columns, columns.size(), row, failure);
    });
}

int CAccessDataBase::SavePanCtl(NET_Machine* machine, const CString& id)
{
    if (!machine) return 0;
    const Row row = {Value{0, machine->xOrigin, {}}, Value{0, machine->yOrigin, {}}};
    return InTransaction(connection_, [&](Failure& failure) {
        return Upsert(connection_, "PanCtl", Utf8(id), kPanCtlColumns, kPanCtlColumns.size(), row, failure);
    });
}

int LoadStoredMachineRecords(NET_Machine& machine)
{
    CAccessDataBase database;
    if (!database.OpenDatabase(GetConfigDatabasePath())) return 0;
    return database.LoadMachineRecords(&machine);
}
