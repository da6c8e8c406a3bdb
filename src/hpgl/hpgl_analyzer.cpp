// The HPGL tokenizer: buffer handling, the mnemonic scans, the lexers and the parsers.
#include "hpgl/hpgl_analyzer.h"

#include "platform/number_parse.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int32_t kMaxBytes = std::numeric_limits<int32_t>::max();
constexpr int32_t kMinimumCapacityBytes = 512;

bool IsBlank(unsigned char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
unsigned char ToUpper(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }
bool IsPairCommand(int code) { return code >= HPGL_PU && code <= HPGL_PR; }

struct Mnemonic {
    char text[3];
    int8_t code;
};

constexpr Mnemonic kMnemonics[] = {
    {"AA", HPGL_AA}, {"AR", HPGL_AR}, {"CI", HPGL_CI}, {"CP", HPGL_CP}, {"DF", HPGL_DF},
    {"DI", HPGL_DI}, {"DT", HPGL_DT}, {"IN", HPGL_IN}, {"LB", HPGL_LB}, {"LT", HPGL_LT},
    {"PA", HPGL_PA}, {"PD", HPGL_PD}, {"PG", HPGL_PG}, {"PI", HPGL_PI}, {"PR", HPGL_PR},
    {"PU", HPGL_PU}, {"PW", HPGL_PW}, {"SI", HPGL_SI}, {"SL", HPGL_SL}, {"SP", HPGL_SP},
};

// The code of each upper-case letter pair; 0 for pairs that are no known mnemonic.
struct MnemonicTable {
    std::array<std::array<int8_t, 26>, 26> code{};
    MnemonicTable()
    {
        for (const Mnemonic& m : kMnemonics) code[m.text[0] - 'A'][m.text[1] - 'A'] = m.code;
    }
};

const MnemonicTable& Table()
{
    static const MnemonicTable table;
    return table;
}

// The code of the pair (b0, b1), compared case-blind or upper case only; PI only when
// withPI is set.
int LookUp(unsigned char b0, unsigned char b1, bool caseBlind, bool withPI)
{
    if (caseBlind) {
        b0 = ToUpper(b0);
        b1 = ToUpper(b1);
    }
    if (!IsUpper(b0) || !IsUpper(b1)) return 0;
    int code = Table().code[b0 - 'A'][b1 - 'A'];
    if (code == HPGL_PI && !withPI) return 0;
    return code;
}

const char* MnemonicText(int code)
{
    for (const Mnemonic& m : kMnemonics)
        if (m.code == code) return m.text;
    return "";
}

// The number in text[first, last), read in the C locale.
float NumberAt(const std::string& text, size_t first, size_t last)
{
    return first < last ? CLocaleAtofFloat(std::string_view(text).substr(first, last - first)) : 0.0f;
}

// Calls f with each comma-separated number from index 2 up to ";".
template <class F>
void ForEachNumber(const std::string& text, F f)
{
    for (size_t i = 2;;) {
        size_t end = text.find_first_of(",;", i);
        f(NumberAt(text, i, end == std::string::npos ? text.size() : end));
        if (end == std::string::npos || text[end] == ';') return;
        i = end + 1;
    }
}

void RemoveTrailingComma(CStringA& command)
{
    std::string& s = command.str();
    if (!s.empty() && s.back() == ',') s.pop_back();
}

}  // namespace

HpglAnalyzer::HpglAnalyzer() { Initialize(); }

HpglAnalyzer::HpglAnalyzer(const CStringA& text)
{
    Initialize();
    int32_t n = text.GetLength();
    auto* buffer = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(n) + 1));
    if (!buffer) return;
    if (n > 0) std::memcpy(buffer, text.GetString(), static_cast<size_t>(n));
    buffer[n] = 0;
    data_ = buffer;
    lengthBytes_ = n;
    capacityBytes_ = n + 1;
}

HpglAnalyzer::HpglAnalyzer(const HpglAnalyzer& other)
{
    Initialize();
    *this = other;
}

HpglAnalyzer& HpglAnalyzer::operator=(const HpglAnalyzer& other)
{
    if (this == &other) return *this;
    Destroy();
    // A copy owns a copy of the data, so neither analyzer frees the other's buffer.
    if (other.lengthBytes_ > 0) {
        auto* buffer = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(other.lengthBytes_) + 1));
        if (!buffer) return *this;
        std::memcpy(buffer, other.data_, static_cast<size_t>(other.lengthBytes_));
        buffer[other.lengthBytes_] = 0;
        data_ = buffer;
        lengthBytes_ = other.lengthBytes_;
        capacityBytes_ = other.lengthBytes_ + 1;
    }
    labelTerminator_ = other.labelTerminator_;
    readPosition_ = other.readPosition_;
    lastParseResult_ = other.lastParseResult_;
    lastCommandStart_ = other.lastCommandStart_;
    mnemonicStart_ = other.mnemonicStart_;
    pairsGathered_ = other.pairsGathered_;
    incompletePairStart_ = other.incompletePairStart_;
    scanStop_ = other.scanStop_;
    continuationCode_ = other.continuationCode_;
    pendingLabelStart_ = other.pendingLabelStart_;
    labelBytesSearched_ = other.labelBytesSearched_;
    pairTextWanted_ = other.pairTextWanted_;
    pairValues_ = other.pairValues_;
    return *this;
}

HpglAnalyzer::~HpglAnalyzer() { Destroy(); }

void HpglAnalyzer::Initialize()
{
    labelTerminator_ = kDefaultLabelTerminator;
    readPosition_ = 0;
    lastParseResult_ = 0;
    lastCommandStart_ = 0;
    lengthBytes_ = 0;
    capacityBytes_ = 0;
    data_ = nullptr;
    ownsData_ = true;
    mappedData_ = false;
    releasedBytes_ = 0;
    mnemonicStart_ = 0;
    pairsGathered_ = 0;
    incompletePairStart_ = 0;
    scanStop_ = 0;
    continuationCode_ = 0;
    pendingLabelStart_ = -1;
    labelBytesSearched_ = 0;
    pairTextWanted_ = true;
    pairValues_.clear();
}

void HpglAnalyzer::Destroy()
{
    FreeBuffer();
    Initialize();
}

int HpglAnalyzer::LoadHpglFile(const char16_t* path)
{
    Destroy();
    if (!path) return kLoadFailed;
    std::string name = CString(path).ToUtf8();
    int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return kLoadFailed;
    struct stat info {};
    // Only regular files: a directory or a device has no length to read up to. A file of
    // 2 GiB or more cannot be held with 32-bit lengths and is refused.
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size >= kMaxBytes) {
        close(fd);
        return kLoadFailed;
    }
    auto size = static_cast<int32_t>(info.st_size);
    // The file is read into anonymous memory of its own, not mapped: a mapped file that its
    // producer truncates during the load would stop the program with SIGBUS. Anonymous pages
    // can be given back while the text is read (ReleaseReadText), which a heap block cannot.
    const size_t mappedBytes = static_cast<size_t>(size) + 1;
    void* mapping = mmap(nullptr, mappedBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) {
        close(fd);
        return kLoadFailed;
    }
    auto* buffer = static_cast<unsigned char*>(mapping);
    int32_t got = 0;
    while (got < size) {
        ssize_t r = read(fd, buffer + got, static_cast<size_t>(size - got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            munmap(mapping, mappedBytes);
            close(fd);
            return kLoadFailed;
        }
        if (r == 0) break;  // the file shrank while it was read: keep what was there
        got += static_cast<int32_t>(r);
    }
    close(fd);
    data_ = buffer;
    lengthBytes_ = got;
    capacityBytes_ = size + 1;
    mappedData_ = true;
    releasedBytes_ = 0;
    return kLoadOk;
}

bool HpglAnalyzer::MoveToHeap(int32_t capacity)
{
    auto* buffer = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(std::max(capacity, 1))));
    if (!buffer) return false;
    if (lengthBytes_ > 0) std::memcpy(buffer, data_, static_cast<size_t>(std::min(lengthBytes_, capacity)));
    FreeBuffer();
    data_ = buffer;
    capacityBytes_ = std::max(capacity, 1);
    ownsData_ = true;
    return true;
}

void HpglAnalyzer::FreeBuffer()
{
    if (mappedData_)
        munmap(data_, static_cast<size_t>(capacityBytes_));
    else if (ownsData_)
        std::free(data_);
    mappedData_ = false;
    releasedBytes_ = 0;
}

void HpglAnalyzer::ReleaseReadTextStep()
{
    // Whole-file reading never looks back before the read position: the commands handed out
    // are copies. The passed text goes back to the system in whole pages.
    const auto base = reinterpret_cast<uintptr_t>(data_);
    const uintptr_t end = (base + static_cast<uintptr_t>(readPosition_)) & ~(kReleaseStepBytes - 1);
    static const auto pageBytes = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t start = std::max(base + static_cast<uintptr_t>(releasedBytes_), (base + pageBytes - 1) & ~(pageBytes - 1));
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
    releasedBytes_ = std::max(releasedBytes_, static_cast<int32_t>(end > base ? end - base : 0));
}

void HpglAnalyzer::LetGoOfLoadedText()
{
    if (!mappedData_) return;
    FreeBuffer();
    Initialize();
}

int HpglAnalyzer::AppendData(const unsigned char* data, int n)
{
    if (n < 0 || (n > 0 && !data)) return 0;
    if (n == 0) return 1;
    if (n > kMaxBytes - 1 - lengthBytes_) return 0;  // would pass the 2 GiB limit
    int32_t needed = lengthBytes_ + n;
    if (!ownsData_ || needed > capacityBytes_) {
        // The capacity at least doubles, so that data appended piece by piece is copied a
        // bounded number of times in all.
        int64_t grown = int64_t{capacityBytes_} + std::max<int64_t>(needed - capacityBytes_, kMinimumCapacityBytes);
        grown = std::max<int64_t>(grown, int64_t{capacityBytes_} * 2);
        int32_t capacity = static_cast<int32_t>(std::min<int64_t>(grown, kMaxBytes));
        if (ownsData_ && !mappedData_) {
            auto* buffer = static_cast<unsigned char*>(std::realloc(data_, static_cast<size_t>(capacity)));
            if (!buffer) return 0;
            data_ = buffer;
            capacityBytes_ = capacity;
        } else if (!MoveToHeap(capacity)) {
            return 0;
        }
    }
    std::memcpy(data_ + lengthBytes_, data, static_cast<size_t>(n));
    lengthBytes_ = needed;
    return 1;
}

int HpglAnalyzer::FreeUnusedMem()
{
    if (!ownsData_ || capacityBytes_ == kMinimumCapacityBytes || lengthBytes_ >= capacityBytes_) return 1;
    int32_t target = std::max(lengthBytes_, kMinimumCapacityBytes);
    if (target >= capacityBytes_) return 1;
    if (mappedData_) {
        if (MoveToHeap(target)) return 1;
        FreeBuffer();
        Initialize();
        return 0;
    }
    auto* buffer = static_cast<unsigned char*>(std::realloc(data_, static_cast<size_t>(target)));
    if (!buffer) {
        std::free(data_);
        data_ = nullptr;
        lengthBytes_ = 0;
        capacityBytes_ = 0;
        readPosition_ = 0;
        lastCommandStart_ = 0;
        return 0;
    }
    data_ = buffer;
    capacityBytes_ = target;
    return 1;
}

void HpglAnalyzer::AttachData(unsigned char* data, int n)
{
    Destroy();
    if (!data || n <= 0) return;
    data_ = data;
    lengthBytes_ = n;
    capacityBytes_ = n;
    ownsData_ = false;
}

void HpglAnalyzer::DetchData() { Destroy(); }

void HpglAnalyzer::AttachRest(const HpglAnalyzer& other)
{
    // Attached text is only read, never written.
    AttachData(other.data_ + other.readPosition_, other.lengthBytes_ - other.readPosition_);
    labelTerminator_ = other.labelTerminator_;
}

bool HpglAnalyzer::TakeOwnership()
{
    if (ownsData_) return true;
    return MoveToHeap(lengthBytes_);
}

void HpglAnalyzer::MoveTailToFront()
{
    int32_t shift = std::min(lastCommandStart_, lengthBytes_);
    if (shift <= 0) return;
    if (!TakeOwnership()) return;
    std::memmove(data_, data_ + shift, static_cast<size_t>(lengthBytes_ - shift));
    lengthBytes_ -= shift;
    auto moved = [shift](int32_t position) { return position > shift ? position - shift : 0; };
    readPosition_ = moved(readPosition_);
    mnemonicStart_ = moved(mnemonicStart_);
    incompletePairStart_ = moved(incompletePairStart_);
    scanStop_ = moved(scanStop_);
    pendingLabelStart_ = pendingLabelStart_ >= shift ? pendingLabelStart_ - shift : -1;
    lastCommandStart_ = 0;
}

int HpglAnalyzer::GetFloatPair(const CStringA& command, CArray<float, float>& values)
{
    const std::string& text = command.str();
    if (text.size() <= 3) return 0;
    const int32_t before = values.GetSize();
    ForEachNumber(text, [&values](float v) { values.Add(v); });
    if ((values.GetSize() - before) % 2 != 0) values.RemoveAt(values.GetSize() - 1);
    return 1;
}

int HpglAnalyzer::GetFloatParam(const CStringA& command, CArray<float, float>& values)
{
    const std::string& text = command.str();
    if (text.size() < 4) return 0;
    int32_t count = 0;
    ForEachNumber(text, [&](float v) {
        values.Add(v);
        ++count;
    });
    return count;
}

int HpglAnalyzer::GetLastPair(const CStringA& command, float& first, float& second)
{
    const std::string& text = command.str();
    if (text.size() <= 3) return 0;
    size_t last = text.rfind(',');
    if (last == std::string::npos || last < 3) return 0;
    size_t end = text.find(';', last);
    second = NumberAt(text, last + 1, end == std::string::npos ? text.size() : end);
    size_t previous = text.rfind(',', last - 1);
    size_t start = previous == std::string::npos || previous < 2 ? 2 : previous + 1;
    first = NumberAt(text, start, last);
    return 1;
}

// ---------------------------------------------------------------------------------------
// Mnemonic scans

int HpglAnalyzer::_GetCmdType(CStringA& command) { return Scan(command, ScanKind::Standard); }
int HpglAnalyzer::_GetCmdTypeForCOMCap(CStringA& command) { return Scan(command, ScanKind::Capture); }
int HpglAnalyzer::_GetCmdType0(CStringA& command) { return Scan(command, ScanKind::UpperCase); }

// Finds the next known mnemonic from the read position, appends it and returns its code.
int HpglAnalyzer::Scan(CStringA& command, ScanKind kind)
{
    const unsigned char* d = data_;
    const int32_t n = lengthBytes_;
    const bool standard = kind == ScanKind::Standard;
    int32_t p = readPosition_;
    while (p + 1 < n) {
        unsigned char b0 = d[p];
        unsigned char b1 = d[p + 1];
        if (kind == ScanKind::Capture && (b0 == 0x00 || b0 == 0x01)) {
            int32_t q = p;
            while (q < n && d[q] == b0) ++q;
            if (q - p >= 8) {
                mnemonicStart_ = p;
                readPosition_ = q;
                return b0 == 0x00 ? HPGL_RUN_OF_00 : HPGL_RUN_OF_01;
            }
            if (q >= n) {  // a short run at the end may still grow into a marker
                scanStop_ = p;
                readPosition_ = p;
                return HPGL_END_OF_DATA;
            }
            p = q;
            continue;
        }
        int code = LookUp(b0, b1, standard, standard);
        if (code != 0) {
            command.AppendChar(static_cast<char>(ToUpper(b0)));
            command.AppendChar(static_cast<char>(ToUpper(b1)));
            mnemonicStart_ = p;
            readPosition_ = p + 2;
            return code;
        }
        unsigned char letter = standard ? ToUpper(b0) : b0;
        bool numberFollows = standard ? (IsDigit(b1) || b1 == ',' || b1 == '-' || b1 == '.') : !IsUpper(b1);
        if ((letter == 'D' || letter == 'U') && numberFollows) {
            command += letter == 'D' ? "PD" : "PU";
            mnemonicStart_ = p;
            readPosition_ = p + 1;
            return letter == 'D' ? HPGL_PD : HPGL_PU;
        }
        ++p;
    }
    // The last byte is kept when it may begin a mnemonic or, in capture input, a file marker
    // run whose other bytes are still to come.
    const bool mayGrow = p == n - 1 && (IsUpper(ToUpper(d[p])) || (kind == ScanKind::Capture && (d[p] == 0x00 || d[p] == 0x01)));
    scanStop_ = mayGrow ? p : n;
    readPosition_ = n;
    return HPGL_END_OF_DATA;
}

// ---------------------------------------------------------------------------------------
// Lexers

bool HpglAnalyzer::SkipSeparators(bool skipComma)
{
    const int32_t n = lengthBytes_;
    int32_t p = readPosition_;
    while (p < n && IsBlank(data_[p])) ++p;
    if (skipComma && p < n && data_[p] == ',') {
        ++p;
        while (p < n && IsBlank(data_[p])) ++p;
    }
    readPosition_ = p;
    return p < n;
}

int32_t HpglAnalyzer::_GetUINTString(CStringA& command, bool skipComma)
{
    if (!SkipSeparators(skipComma)) return kParseIncomplete;
    int32_t p = readPosition_;
    if (!IsDigit(data_[p])) return kParseMalformed;
    while (p < lengthBytes_ && IsDigit(data_[p])) ++p;
    command.Append(reinterpret_cast<const char*>(data_ + readPosition_), p - readPosition_);
    readPosition_ = p;
    return p < lengthBytes_ ? kParseOk : kParseIncomplete;
}

int32_t HpglAnalyzer::_GetINTString(CStringA& command, bool skipComma)
{
    if (!SkipSeparators(skipComma)) return kParseIncomplete;
    int32_t p = readPosition_;
    unsigned char first = data_[p];
    if (first != '+' && first != '-' && !IsDigit(first)) return kParseMalformed;
    ++p;
    while (p < lengthBytes_ && IsDigit(data_[p])) ++p;
    command.Append(reinterpret_cast<const char*>(data_ + readPosition_), p - readPosition_);
    readPosition_ = p;
    return p < lengthBytes_ ? kParseOk : kParseIncomplete;
}

int32_t HpglAnalyzer::_GetFloatString(CStringA& command, bool skipComma)
{
    return LexFloat(&command, skipComma, nullptr);
}

// Lexes a number as _GetFloatString does, appending its text to command when given, and,
// when value is given, converts it as CLocaleAtofFloat reads its text. A sign and up to nine
// digits take the integer road: such an integer is exact as a double, so converting it to
// float rounds once, as narrowing the parsed double does.
int32_t HpglAnalyzer::LexFloat(CStringA* command, bool skipComma, float* value)
{
    const unsigned char* d = data_;
    const int32_t n = lengthBytes_;
    int32_t p = readPosition_;
    // The usual forms, a digit or "," and a digit, need no separator scan.
    if (p < n && IsDigit(d[p])) {
    } else if (skipComma && p + 1 < n && d[p] == ',' && IsDigit(d[p + 1])) {
        ++p;
    } else {
        if (!SkipSeparators(skipComma)) return kParseIncomplete;
        p = readPosition_;
    }
    const int32_t start = p;
    unsigned char first = d[p];
    if (first != '+' && first != '-' && first != '.' && !IsDigit(first)) return kParseMalformed;
    if (first == '+' || first == '-') ++p;
    const int32_t digitsStart = p;
    uint32_t integer = 0;
    while (p < n && IsDigit(d[p])) integer = integer * 10u + static_cast<uint32_t>(d[p++] - '0');
    const int32_t digits = p - digitsStart;
    const bool plainInteger = digits > 0 && digits <= 9 && !(p < n && d[p] == '.');
    if (p < n && d[p] == '.') {
        ++p;
        while (p < n && IsDigit(d[p])) ++p;
    }
    const char* text = reinterpret_cast<const char*>(d + start);
    if (command) command->Append(text, p - start);
    if (value) {
        if (plainInteger) {
            const auto magnitude = static_cast<float>(integer);
            *value = first == '-' ? -magnitude : magnitude;
        } else {
            *value = CLocaleAtofFloat(std::string_view(text, static_cast<size_t>(p - start)));
        }
    }
    readPosition_ = p;
    return p < n ? kParseOk : kParseIncomplete;
}

// Reads the usual form of a coordinate, an optional "," and one to nine digits ended inside
// the data by a byte other than "." or a digit, with the value LexFloat gives it; false,
// with nothing read, for every other form, which LexFloat then reads.
inline bool HpglAnalyzer::LexPlainInteger(float& value)
{
    const unsigned char* d = data_;
    const int32_t n = lengthBytes_;
    int32_t p = readPosition_;
    if (p < n && d[p] == ',') ++p;
    uint32_t integer = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Eight bytes at once: the digit run's length from the bytes that are no digit, then
        // the run's value by pairwise multiplication (digits beyond the run shifted out).
        if (n - p >= 8) {
            uint64_t chunk = 0;
            std::memcpy(&chunk, d + p, sizeof chunk);
            constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ull, kZeros = 0x3030303030303030ull;
            const uint64_t nonDigits = ((chunk & kHigh) ^ kZeros) | (((chunk + 0x0606060606060606ull) & kHigh) ^ kZeros);
            if (nonDigits != 0) {
                const int digits = std::countr_zero(nonDigits) / 8;
                if (digits == 0 || d[p + digits] == '.') return false;
                uint64_t v = (chunk - kZeros) << (8 * (8 - digits));
                v = v * 10 + (v >> 8);
                v = ((v & 0x000000FF000000FFull) * (100 + (1000000ull << 32)) +
                     ((v >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32))) >> 32;
                value = static_cast<float>(static_cast<uint32_t>(v));
                readPosition_ = p + digits;
                return true;
            }
        }
    }
    const int32_t digitsStart = p;
    while (p < n && IsDigit(d[p])) integer = integer * 10u + static_cast<uint32_t>(d[p++] - '0');
    const int32_t digits = p - digitsStart;
    if (digits == 0 || digits > 9 || p >= n || d[p] == '.') return false;
    value = static_cast<float>(integer);
    readPosition_ = p;
    return true;
}

// ---------------------------------------------------------------------------------------
// Parameter parsers

// Reads x,y pairs. A pair whose y is missing or cut off by the end is not emitted; a
// number directly followed by "." or "-" abandons the rest of the command. Without
// pairTextWanted_ only the numbers are gathered and the text keeps the mnemonic alone.
int32_t HpglAnalyzer::ParseCoordinatePairs(CStringA& command)
{
    pairsGathered_ = 0;
    pairValues_.clear();
    CStringA* text = pairTextWanted_ ? &command : nullptr;
    int32_t result;
    for (;;) {
        incompletePairStart_ = readPosition_;
        // A ";" ends the pairs: the lexer would find no number there and read nothing.
        if (readPosition_ < lengthBytes_ && data_[readPosition_] == ';') {
            result = kParseOk;
            break;
        }
        const size_t mark = text ? text->str().size() : 0;
        float x = 0.0f, y = 0.0f;
        int32_t r = !text && LexPlainInteger(x) ? kParseOk : LexFloat(text, true, &x);
        if (r == kParseOk && (data_[readPosition_] == '.' || data_[readPosition_] == '-')) {
            if (text) text->str().resize(mark);
            result = kParseMalformed;
            break;
        }
        if (r == kParseOk) {
            if (text) text->AppendChar(',');
            r = !text && LexPlainInteger(y) ? kParseOk : LexFloat(text, true, &y);
        }
        if (r != kParseOk) {
            if (text) text->str().resize(mark);
            result = r == kParseIncomplete ? kParseIncomplete : kParseOk;
            break;
        }
        pairValues_.push_back(x);
        pairValues_.push_back(y);
        if (text) text->AppendChar(',');
        ++pairsGathered_;
    }
    if (text) {
        RemoveTrailingComma(*text);
        text->AppendChar(';');
    }
    return result;
}

int32_t HpglAnalyzer::ParseIntegerList(CStringA& command)
{
    int32_t r = _GetINTString(command, false);
    while (r == kParseOk) {
        command.AppendChar(',');
        r = _GetINTString(command, true);
    }
    RemoveTrailingComma(command);
    command.AppendChar(';');
    return r == kParseIncomplete ? kParseIncomplete : kParseOk;
}

int32_t HpglAnalyzer::ParseNumberPair(CStringA& command)
{
    int32_t r = _GetFloatString(command, false);
    if (r != kParseOk) return r;
    if (data_[readPosition_] == '.' || data_[readPosition_] == '-') return kParseMalformed;
    command.AppendChar(',');
    r = _GetFloatString(command, true);
    if (r != kParseOk) return r;
    command.AppendChar(';');
    return kParseOk;
}

int32_t HpglAnalyzer::ParseArc(CStringA& command)
{
    for (int i = 0; i < 2; ++i) {
        int32_t r = _GetFloatString(command, i > 0);
        if (r != kParseOk) return r;
        if (data_[readPosition_] == '.' || data_[readPosition_] == '-') return kParseMalformed;
        command.AppendChar(',');
    }
    int32_t r = _GetFloatString(command, true);
    if (r != kParseOk) return r;
    command.AppendChar(';');
    return kParseOk;
}

int32_t HpglAnalyzer::ParseCircle(CStringA& command)
{
    int32_t r = _GetFloatString(command, false);
    if (r != kParseOk) return r;
    if (data_[readPosition_] == '.' || data_[readPosition_] == '-') return kParseMalformed;
    size_t mark = command.str().size();
    command.AppendChar(',');
    r = _GetFloatString(command, true);
    if (r == kParseIncomplete) return kParseIncomplete;
    if (r != kParseOk) command.str().resize(mark);
    command.AppendChar(';');
    return kParseOk;
}

// Takes every byte up to and including the label terminator.
int32_t HpglAnalyzer::ParseLabel(CStringA& command, int& labelLength, bool streamed)
{
    const int32_t n = lengthBytes_;
    const int32_t p = readPosition_;
    int32_t from = p;
    if (streamed && pendingLabelStart_ == mnemonicStart_) from = std::min(n, p + labelBytesSearched_);
    const void* hit = from < n ? std::memchr(data_ + from, labelTerminator_, static_cast<size_t>(n - from)) : nullptr;
    if (hit) {
        auto end = static_cast<int32_t>(static_cast<const unsigned char*>(hit) - data_) + 1;
        command.Append(reinterpret_cast<const char*>(data_ + p), end - p);
        labelLength = end - p;
        readPosition_ = end;
        pendingLabelStart_ = -1;
        return kParseOk;
    }
    readPosition_ = n;
    if (streamed) {
        // The rest of the label is still to come: remember how far it was searched.
        pendingLabelStart_ = mnemonicStart_;
        labelBytesSearched_ = n - p;
        return kParseIncomplete;
    }
    command.Append(reinterpret_cast<const char*>(data_ + p), n - p);
    command.AppendChar(static_cast<char>(labelTerminator_));
    labelLength = n - p + 1;
    return kParseIncomplete;
}

int32_t HpglAnalyzer::ParseTerminator(CStringA& command)
{
    const int32_t n = lengthBytes_;
    const int32_t p = readPosition_;
    if (p >= n) return kParseIncomplete;
    if (data_[p] == ';') {
        command.AppendChar(';');
        labelTerminator_ = kDefaultLabelTerminator;
        readPosition_ = p + 1;
        return kParseOk;
    }
    if (p + 1 >= n) return kParseIncomplete;
    command.AppendChar(static_cast<char>(data_[p]));
    command.AppendChar(';');
    labelTerminator_ = data_[p];
    readPosition_ = p + 2;
    return kParseOk;
}

// Runs the parser of code; the command text holds its mnemonic already.
int32_t HpglAnalyzer::ParseParameters(int code, CStringA& command, int& labelLength, bool streamed)
{
    switch (code) {
    case HPGL_PU:
    case HPGL_PD:
    case HPGL_PA:
    case HPGL_PR:
        return ParseCoordinatePairs(command);
    case HPGL_SP:
    case HPGL_PI: {
        int32_t r = _GetUINTString(command, false);
        command.AppendChar(';');
        return r;
    }
    case HPGL_LT:
        return ParseIntegerList(command);
    case HPGL_LB:
        return ParseLabel(command, labelLength, streamed);
    case HPGL_DT:
        return ParseTerminator(command);
    case HPGL_SI:
    case HPGL_DI:
    case HPGL_CP:
        return ParseNumberPair(command);
    case HPGL_SL:
    case HPGL_PW: {
        int32_t r = _GetFloatString(command, false);
        if (r == kParseOk) command.AppendChar(';');
        return r;
    }
    case HPGL_AA:
    case HPGL_AR:
        return ParseArc(command);
    case HPGL_CI:
        return ParseCircle(command);
    default:  // IN, PG, DF and the capture markers take no parameters
        command.AppendChar(';');
        return kParseOk;
    }
}

// ---------------------------------------------------------------------------------------
// Whole-data reading

int HpglAnalyzer::GetFirstCode(CStringA& command, int& labelLength)
{
    readPosition_ = 0;
    return GetNextCode(command, labelLength);
}

int HpglAnalyzer::GetNextCode(CStringA& command, int& labelLength)
{
    for (;;) {
        command.Empty();
        int code = Scan(command, ScanKind::Standard);
        if (code == HPGL_END_OF_DATA) return HPGL_END_OF_DATA;
        int32_t r = ParseParameters(code, command, labelLength, false);
        switch (code) {
        case HPGL_PU:
        case HPGL_PD:
        case HPGL_PA:
        case HPGL_PR:
        case HPGL_SP:
        case HPGL_LT:
        case HPGL_LB:
        case HPGL_PI:
        case HPGL_IN:
        case HPGL_PG:
        case HPGL_DF:
            return code;
        default:
            // DT, SI, DI, CP, SL, PW, AA, AR and CI: a malformed command is dropped, and one
            // cut off by the end of the data ends the reading.
            if (r == kParseOk) return code;
            if (r == kParseIncomplete) return HPGL_END_OF_DATA;
            break;
        }
    }
}

// ---------------------------------------------------------------------------------------
// Streamed reading

int HpglAnalyzer::GetFirstCodeForCOM(CStringA& command, int& labelLength)
{
    readPosition_ = 0;
    return GetNextCodeForCOM(command, labelLength);
}

int HpglAnalyzer::GetNextCodeForCOM(CStringA& command, int& labelLength)
{
    return NextStreamedCode(command, labelLength, ScanKind::Standard);
}

int HpglAnalyzer::GetFirstCodeForCOMCap(CStringA& command, int& labelLength)
{
    readPosition_ = 0;
    return GetNextCodeForCOMCap(command, labelLength);
}

int HpglAnalyzer::GetNextCodeForCOMCap(CStringA& command, int& labelLength)
{
    return NextStreamedCode(command, labelLength, ScanKind::Capture);
}

// Returns the next complete command of streamed input. A command cut off by the end of the
// data is held back (kParseIncomplete, tail from GetLastCommandStart), except that the
// complete pairs of a coordinate-pair command are returned at once and its later pairs
// continue as the same command in the next piece: a long pen-down run is then read once,
// not again with every piece.
int HpglAnalyzer::NextStreamedCode(CStringA& command, int& labelLength, ScanKind kind)
{
    lastParseResult_ = kParseOk;
    for (;;) {
        command.Empty();
        int code;
        int32_t commandStart;
        bool resumed = false;
        if (continuationCode_ != 0 && readPosition_ >= lengthBytes_) {
            lastParseResult_ = kParseIncomplete;  // the continuation waits for more data
            return HPGL_END_OF_DATA;
        }
        if (continuationCode_ != 0 && readPosition_ == lastCommandStart_) {
            code = continuationCode_;
            command += MnemonicText(code);
            commandStart = readPosition_;
            resumed = true;
        } else {
            code = Scan(command, kind);
            if (code == HPGL_END_OF_DATA) {
                continuationCode_ = 0;
                lastCommandStart_ = scanStop_;
                lastParseResult_ = kParseIncomplete;
                return HPGL_END_OF_DATA;
            }
            commandStart = mnemonicStart_;
        }
        continuationCode_ = 0;
        lastCommandStart_ = commandStart;
        if (code != HPGL_LB) pendingLabelStart_ = -1;
        int32_t r = ParseParameters(code, command, labelLength, true);
        if (r == kParseIncomplete) {
            if (IsPairCommand(code) && pairsGathered_ > 0) {
                continuationCode_ = code;
                lastCommandStart_ = incompletePairStart_;
                return code;
            }
            if (code != HPGL_LB && lengthBytes_ - commandStart > kMaxPendingCommandBytes) {
                // No real command is this long: drop it and read on past its first byte.
                readPosition_ = commandStart + 1;
                continue;
            }
            if (resumed) continuationCode_ = code;
            lastParseResult_ = kParseIncomplete;
            return code;
        }
        // A malformed command is dropped, except that a coordinate-pair command keeps the
        // pairs gathered before the fault, as in whole-file reading.
        if (r == kParseMalformed && !IsPairCommand(code)) continue;
        lastParseResult_ = r;
        return code;
    }
}
