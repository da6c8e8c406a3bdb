// HpglAnalyzer: the HPGL tokenizer that cuts raw 8-bit plot text into normalised commands.
//
// Method: a forward byte scan finds the next two-letter mnemonic the system knows (any case;
// a lone "D" or "U" before a number stands for PD or PU), then the parser of that command
// reads its parameters and writes them back in one fixed form: the upper-case mnemonic,
// the parameters separated by ",", and a closing ";" ("pd 100 , 200" gives "PD100,200;").
// Bytes that are no known command (separators, escape sequences, other commands) are
// skipped one by one. Every scan is bounded by the data length, so the text needs no
// terminator, and the scan never moves backwards, so reading a file is linear in its size.
//
// Two roads: a whole file (LoadHpglFile, then GetFirstCode / GetNextCode until
// HPGL_END_OF_DATA), and input that arrives in pieces (AppendData and the ...ForCOM calls),
// where a command cut off by the end of the data is kept for the next piece.
//
// Data: raw bytes, lengths in bytes as int32, so the analyzer holds less than 2 GiB.
#pragma once

#include "platform/carray.h"
#include "platform/cstring.h"

#include <cstdint>
#include <vector>

// The command codes returned by the tokenizers; every explainer uses the same numbers.
enum HpglCmdCode : int32_t {
    HPGL_END_OF_DATA = -2,
    HPGL_PU = 1,
    HPGL_PD = 2,
    HPGL_PA = 3,
    HPGL_PR = 4,
    HPGL_SP = 5,
    HPGL_LT = 6,
    HPGL_LB = 7,
    HPGL_DT = 8,
    HPGL_SI = 9,
    HPGL_DI = 10,
    HPGL_CP = 11,
    HPGL_SL = 12,
    HPGL_PW = 13,
    HPGL_AA = 14,
    HPGL_AR = 15,
    HPGL_CI = 16,
    HPGL_IN = 17,
    HPGL_PG = 18,
    HPGL_DF = 19,
    HPGL_RUN_OF_00 = 20,  // capture input only: at least 8 bytes 0x00 (end of a file)
    HPGL_RUN_OF_01 = 21,  // capture input only: at least 8 bytes 0x01 (start of a file)
    HPGL_PI = 22,
};

class HpglAnalyzer {
public:
    // Results of LoadHpglFile.
    static constexpr int kLoadFailed = 0;  // cannot be opened or read, not a file, or 2 GiB or more
    static constexpr int kLoadOk = 1;

    // Results of a parameter parse (GetLastParseResult).
    static constexpr int32_t kParseOk = 0;
    static constexpr int32_t kParseMalformed = -1;
    static constexpr int32_t kParseIncomplete = -2;  // the data ended inside the command

    // The label terminator after construction and after "DT;" (ETX).
    static constexpr unsigned char kDefaultLabelTerminator = 3;

    HpglAnalyzer();
    // Copies text into a buffer of its own.
    explicit HpglAnalyzer(const CStringA& text);
    // Copies are deep: each analyzer owns its buffer.
    HpglAnalyzer(const HpglAnalyzer& other);
    HpglAnalyzer& operator=(const HpglAnalyzer& other);
    virtual ~HpglAnalyzer();

    // Replaces the data by the whole file at path (UTF-16). kLoadFailed leaves the analyzer
    // empty. The read position is not reset here: GetFirstCode does that.
    int LoadHpglFile(const char16_t* path);

    // Starts again at the first byte and returns the first command.
    int GetFirstCode(CStringA& command, int& labelLength);
    // Returns the code of the next command and its normalised text in command, or
    // HPGL_END_OF_DATA. labelLength receives the label's byte count (terminator included)
    // and is written for LB only.
    int GetNextCode(CStringA& command, int& labelLength);

    // Appends the x,y numbers of a coordinate-pair command ("PD1,2,3,4;"); 0 when the text
    // has 3 characters or fewer, else 1. A number without a partner is not appended.
    static int GetFloatPair(const CStringA& command, CArray<float, float>& values);
    // Appends every parameter number (the first at index 2, then one after each ",", up to
    // ";") and returns how many; 0 when the text is shorter than 4 characters.
    static int GetFloatParam(const CStringA& command, CArray<float, float>& values);
    // The last two numbers of the text; 0 when it has 3 characters or fewer or no ",".
    static int GetLastPair(const CStringA& command, float& first, float& second);

    // Appends n bytes; 0 when they cannot be stored (the old data is kept).
    int AppendData(const unsigned char* data, int n);
    // Shrinks the buffer to max(length, 512) bytes when it is larger; 0 when that fails,
    // and then the analyzer is empty.
    int FreeUnusedMem();
    // Reads a caller's buffer in place, without copying it. The analyzer never frees or
    // resizes that buffer; appending to it copies the data into a buffer of its own first.
    void AttachData(unsigned char* data, int n);
    // Lets go of the data without freeing an attached buffer; the analyzer is then empty.
    void DetchData();
    // Reads other's text from its read position on in place, with its label terminator, so
    // that GetFirstCode continues where other stands; other keeps its text meanwhile.
    void AttachRest(const HpglAnalyzer& other);

    // Streamed variants: as GetFirstCode / GetNextCode, but a command cut off by the end of
    // the data is not returned; GetLastParseResult is then kParseIncomplete and the bytes
    // from GetLastCommandStart on are to be kept for the next piece.
    int GetFirstCodeForCOM(CStringA& command, int& labelLength);
    int GetNextCodeForCOM(CStringA& command, int& labelLength);
    // The same for capture input: upper-case mnemonics only, no PI, and runs of 0x00 / 0x01
    // bytes as file markers.
    int GetFirstCodeForCOMCap(CStringA& command, int& labelLength);
    int GetNextCodeForCOMCap(CStringA& command, int& labelLength);

    // The x, y numbers of the last coordinate-pair command returned (PU, PD, PA, PR), read as
    // GetFloatPair reads them from its text; count receives the number of floats (even).
    const float* GetPairValues(int32_t& count) const
    {
        count = static_cast<int32_t>(pairValues_.size());
        return pairValues_.data();
    }

    // Whether PU, PD, PA and PR commands get their parameter text (on by default). A reader
    // that takes their numbers from GetPairValues turns it off: their text then holds the
    // mnemonic alone, and lexing is about a third cheaper on files of short shapes.
    void SetPairTextWanted(bool wanted) { pairTextWanted_ = wanted; }
    bool GetPairTextWanted() const { return pairTextWanted_; }

    int32_t GetLength() const { return lengthBytes_; }
    int32_t GetCapacity() const { return capacityBytes_; }
    const unsigned char* GetData() const { return data_; }
    int32_t GetReadPosition() const { return readPosition_; }
    int32_t GetLastParseResult() const { return lastParseResult_; }
    int32_t GetLastCommandStart() const { return lastCommandStart_; }
    unsigned char GetLabelTerminator() const { return labelTerminator_; }

protected:
    // Resets every field to the empty analyzer (terminator ETX); the buffer is not freed.
    void Initialize();
    // Frees an owned buffer and resets.
    void Destroy();
    // Moves the bytes from the last command start to the front of the buffer, dropping what
    // the streamed reader has consumed.
    void MoveTailToFront();

    // Gives the text of a loaded file that whole-file reading has passed back to the system,
    // in steps of kReleaseStepBytes; for a reader that reads the file once (the job load).
    // Nothing else may look at the text before the read position afterwards.
    void ReleaseReadText()
    {
        if (mappedData_ && readPosition_ - releasedBytes_ >= 2 * static_cast<int32_t>(kReleaseStepBytes))
            ReleaseReadTextStep();
    }
    // Empties the analyzer when it holds a loaded file's text (after ReleaseReadText, the
    // text is no longer whole); other text stays.
    void LetGoOfLoadedText();

    // Mnemonic scans: the whole-file / streamed scan, the capture scan, and the upper-case
    // scan without the byte runs.
    int _GetCmdType(CStringA& command);
    int _GetCmdTypeForCOMCap(CStringA& command);
    int _GetCmdType0(CStringA& command);

    // Number lexers: skip blanks (and with skipComma one "," and blanks again), then append
    // the number's characters. kParseOk, kParseMalformed (no number here) or
    // kParseIncomplete (the data ended, possibly inside the number).
    int32_t _GetUINTString(CStringA& command, bool skipComma);
    int32_t _GetINTString(CStringA& command, bool skipComma);
    int32_t _GetFloatString(CStringA& command, bool skipComma);

    unsigned char labelTerminator_ = kDefaultLabelTerminator;
    int32_t readPosition_ = 0;
    int32_t lastParseResult_ = 0;
    int32_t lastCommandStart_ = 0;
    int32_t lengthBytes_ = 0;
    int32_t capacityBytes_ = 0;
    unsigned char* data_ = nullptr;

private:
    enum class ScanKind { Standard, Capture, UpperCase };

    int Scan(CStringA& command, ScanKind kind);
    int32_t ParseParameters(int code, CStringA& command, int& labelLength, bool streamed);
    int32_t ParseCoordinatePairs(CStringA& command);
    int32_t ParseIntegerList(CStringA& command);
    int32_t ParseNumberPair(CStringA& command);
    int32_t ParseArc(CStringA& command);
    int32_t ParseCircle(CStringA& command);
    int32_t ParseLabel(CStringA& command, int& labelLength, bool streamed);
    int32_t ParseTerminator(CStringA& command);
    int NextStreamedCode(CStringA& command, int& labelLength, ScanKind kind);
    // Skips blanks (and one comma); false at the end of data, with the read position there.
    bool SkipSeparators(bool skipComma);
    int32_t LexFloat(CStringA* command, bool skipComma, float* value);
    bool LexPlainInteger(float& value);
    bool TakeOwnership();
    // Copies the text into a heap buffer of capacity bytes and frees the old one.
    bool MoveToHeap(int32_t capacity);
    // Frees the buffer when the analyzer owns it (munmap for a loaded file's memory).
    void FreeBuffer();
    void ReleaseReadTextStep();

    static constexpr uintptr_t kReleaseStepBytes = uintptr_t{256} << 10;

    // A streamed command other than a label that is still incomplete after this many bytes
    // is no real command (a number of 64 KiB digits): it is dropped so that reading in
    // pieces stays linear in the data size.
    static constexpr int32_t kMaxPendingCommandBytes = 64 * 1024;

    bool ownsData_ = true;
    bool pairTextWanted_ = true;
    // The buffer is anonymous memory holding a loaded file (freed with munmap), and how many
    // of its leading bytes were given back by ReleaseReadText.
    bool mappedData_ = false;
    int32_t releasedBytes_ = 0;
    // Where the mnemonic of the last command found begins.
    int32_t mnemonicStart_ = 0;
    // The complete pairs gathered by the last coordinate-pair parse, and where its first
    // incomplete pair began.
    int32_t pairsGathered_ = 0;
    int32_t incompletePairStart_ = 0;
    // Where the bytes the last scan could not decide on begin (the length when there are
    // none): the data's last byte may be the first letter of a mnemonic cut off by the end
    // of a piece, and a run of 0x00 / 0x01 bytes at the end may grow into a file marker.
    int32_t scanStop_ = 0;
    // Streamed reading: a coordinate-pair command whose later pairs are still to come. Its
    // complete pairs were returned; the kept tail starts at its next pair, which is parsed
    // as that command when the next piece arrives.
    int32_t continuationCode_ = 0;
    // Streamed reading: label bytes after the kept LB mnemonic already searched for the
    // terminator, so that a long label arriving in pieces is searched only once.
    int32_t pendingLabelStart_ = -1;
    int32_t labelBytesSearched_ = 0;
    // The numbers of the last coordinate-pair parse, converted as they were lexed.
    std::vector<float> pairValues_;
};
