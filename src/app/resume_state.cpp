// Resume state files: writers, readers, the newest-state rule and the resume decisions.
#include "app/resume_state.h"

#include "app/string_table.h"
#include "hpgl/hpgl_stream_explainer.h"
#include "machinelink/net_machine.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/number_parse.h"
#include "platform/program_directory.h"
#include "plotmodel/load_point_budget.h"
#include "plotmodel/plot_page.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "plotmodel/shape_runs.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <string>
#include <vector>


namespace {

// A state file longer than this is no state file (the longest holds one path).
constexpr size_t kMaxStateFileBytes = 64 * 1024;
// The dash pattern of page-file shapes with a line type above 1: 3 mm dashes, 1 mm gaps.
constexpr structDash kPageFileDash{1.0f, 3.0f, 15.0f, 0.025f, 0.025f};
// Pens that carry cut modes (mau + 19) and rec indexes (rec + 59) through a page file.
constexpr int kMauPenBase = 19;
constexpr int kRecPenBase = 59;
// A page file's text is made in parts of about this many points (some 20 bytes each), a
// batch of parts at a time on the worker threads, and each batch goes to disk in order before
// the next is made: a page of a large job is never whole in memory.
constexpr int64_t kPageFilePartPoints = 1 << 15;
constexpr size_t kPageFilePartsPerThread = 2;

// Names the CutState file written next; flips after every successful write.
std::atomic<int> nextCutStateFile{0};

struct StateEntry {
    CString key;
    CString value;
};

CString InFolder(const CString& folder, const char16_t* name) { return folder + u"/" + name; }

// The bytes of a state file: the byte-order mark, then each line and CR CR LF, UTF-16LE.
std::string EncodeStateLines(const std::vector<CString>& lines)
{
    std::string bytes = "\xFF\xFE";
    auto put = [&bytes](char16_t unit) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    };
    for (const CString& line : lines) {
        for (char16_t unit : line.str()) put(unit);
        put(u'\r');
        put(u'\r');
        put(u'\n');
    }
    return bytes;
}

// Reads the "key=value;" lines of a state file. A line ends at LF; CRs before it, and then one
// ";", are taken off, so CR CR LF, CR LF, LF and an unended last line all read alike. A line
// without "=" at position 1 or later ends the reading. False when the file cannot be read or
// is no UTF-16LE text (an odd number of bytes).
bool ReadStateEntries(const CString& file, std::vector<StateEntry>& entries)
{
    std::string bytes;
    if (!ReadWholeFile(file, bytes, kMaxStateFileBytes) || bytes.size() % 2 != 0) return false;
    std::u16string text;
    for (size_t i = 0; i < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8);
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);

    entries.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(u'\n', start);
        std::u16string line = text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        start = end == std::u16string::npos ? text.size() : end + 1;
        while (!line.empty() && (line.back() == u'\r' || line.back() == u'\n')) line.pop_back();
        size_t equals = line.find(u'=');
        if (equals == std::u16string::npos || equals == 0) break;
        std::u16string value = line.substr(equals + 1);
        if (!value.empty() && value.back() == u';') value.pop_back();
        entries.push_back(StateEntry{CString(line.substr(0, equals)), CString(value)});
    }
    return true;
}

// Reads the named keys of a file as numbers (and, when text is given, key 0 as text); true
// when every key was found.
bool ReadKeys(const CString& file, const std::vector<const char16_t*>& keys, std::vector<int32_t*> numbers,
              CString* text = nullptr)
{
    std::vector<StateEntry> entries;
    if (!ReadStateEntries(file, entries)) return false;
    std::vector<bool> found(keys.size(), false);
    for (const StateEntry& e : entries) {
        for (size_t k = 0; k < keys.size(); ++k) {
            if (e.key.CompareNoCase(keys[k]) != 0) continue;
            found[k] = true;
            if (text && k == 0)
                *text = e.value;
            else
                *numbers[k] = CLocaleAtoi(std::u16string_view(e.value.str()));
        }
    }
    for (bool f : found)
        if (!f) return false;
    return true;
}

// A time after those of the folder's other two state files, and not before now: the newest
// state is then the one written last even when the clock ticks coarsely or was set back.
int64_t DateAfterOtherStateFiles(const CString& folder, const char16_t* own)
{
    int64_t date = WallClockNs();
    for (const char16_t* name : {kTaskStartInfoName, kCutStateNames[0], kCutStateNames[1]}) {
        int64_t other = 0;
        if (std::u16string_view(name) != own && GetFileTimeNs(InFolder(folder, name), other) && other >= date &&
            other < INT64_MAX)
            date = other + 1;
    }
    return date;
}

bool WriteStateFile(const CString& file, const std::vector<CString>& lines, std::optional<int64_t> date = std::nullopt)
{
    const std::string bytes = EncodeStateLines(lines);
    return ReplaceFileAtomically(file, bytes.data(), bytes.size(), date);
}

CString Line(const char16_t* format, int32_t value)
{
    CString line;
    line.Format(format, value);
    return line;
}

// The pen a shape is written with: its cut mode or rec index when one of 1-16 is set, else
// its own pen. An own pen that a reader would take for a cut mode or a rec index (20-36,
// 60-76) is written as 0, so print work stays print work.
int PageFilePen(const PlotShape& shape)
{
    const int mau = shape.GetMauIndex();
    const int rec = shape.GetRecIndex();
    if (mau >= 1 && mau <= 16) return mau + kMauPenBase;
    if (rec >= 1 && rec <= 16) return rec + kRecPenBase;
    const int pen = shape.GetPenIndex();
    if ((pen >= 20 && pen <= 36) || (pen >= 60 && pen <= 76)) return 0;
    return pen;
}

// Restores cut modes and rec indexes from the pens of a page file.
void RestoreIndexesFromPens(PlotShapeList& list)
{
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) {
        const int pen = s->GetPenIndex();
        if (pen >= 20 && pen <= 36) {
            s->SetMauIndex(static_cast<unsigned char>(pen - kMauPenBase));
            s->SetPenIndex(1);
        } else if (pen >= 60 && pen <= 76) {
            s->SetRecIndex(static_cast<unsigned char>(pen - kRecPenBase));
            s->SetPenIndex(1);
        }
    }
}

// Replaces, in place, every shape of line type above 1 by its dashes of line type 1 (they keep
// the shape's cut mode and rec index).
void DashPatternedShapes(PlotShapeList& list)
{
    PlotShape* s = list.HeadShape();
    while (s) {
        PlotShape* next = list.ShapeAfter(s);
        if (s->GetLineType() > 1) {
            OL_List dashes;
            s->Dash(dashes, kPageFileDash);
            while (auto* dash = static_cast<PlotShape*>(dashes.GetHead())) {
                dashes.GoOut(dash);
                dash->CalArea();
                dash->SetLineType(1);
                list.InsertFront(dash, s);
            }
            list.GoOut(s);
            delete s;
        }
        s = next;
    }
}

// Points of every shape of list.
int64_t CountPoints(const PlotShapeList& list)
{
    int64_t n = 0;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) n += s->GetTolPtNum();
    return n;
}

// True when DashPatternedShapes makes at most room points of dashes on list.
bool DashesFit(const PlotShapeList& list, int64_t room)
{
    for (PlotShape* s = list.HeadShape(); s && room >= 0; s = list.ShapeAfter(s))
        if (s->GetLineType() > 1) room -= s->DashPointCount(kPageFileDash, room);
    return room >= 0;
}

// The job's page count from "PrintFileInfo.txt" when the folder holds this job (exact path)
// with at least one page.
bool ReadJobPageCount(const CString& folder, const CString& jobPath, int32_t& pageCount)
{
    CString path;
    int32_t count = 0, origintype = 0, x = 0, y = 0;
    if (!ReadPrintFileInfo(folder, path, count, origintype, x, y) || path != jobPath || count < 1) return false;
    pageCount = count;
    return true;
}

// The page the folder's state points at: the page last started, plus 1 when it was finished;
// computed in 64 bits, so the largest page index cannot overflow.
bool ReadStatePage(const CString& folder, int64_t& page)
{
    int32_t index = 0, cut = 0, jet = 0, total = 0, perLine = 0;
    if (!ReadTaskStartInfo(folder, index, cut, jet, total, perLine)) return false;
    int32_t cutEnd = 0;
    page = index;
    if (ReadNewestCutState(folder, cutEnd) && cutEnd != 0) page += 1;
    return true;
}

}  // namespace

CString GetPagesFolder() { return CString::FromUtf8(WritableProgramDirectory() + "Pages"); }

int RemoveLeftoverTemporaryFiles()
{
    return RemoveInterruptedWriteTemporaries(CString::FromUtf8(ProgramDirectory())) +
           RemoveInterruptedWriteTemporaries(GetPagesFolder(), true);
}

CString GetMachineStateFolder(const NET_Machine& machine)
{
    CString id;
    machine.GetID(id);
    return GetPagesFolder() + u"/" + id;
}

CString GetPageFilePath(const CString& folder, int32_t page)
{
    CString name;
    name.Format(u"/page%d.plt", page);
    return folder + name;
}

int WritePrintFileInfo(const CString& folder, const CString& path, int32_t pagenum, int32_t origintype, int32_t x,
                       int32_t y)
{
    CString name;
    name.Format(u"filename=%s;", path);
    return WriteStateFile(InFolder(folder, kPrintFileInfoName),
                          {name, Line(u"pagenum=%d;", pagenum), Line(u"origintype=%d;", origintype),
                           Line(u"x=%d;", x), Line(u"y=%d;", y)})
               ? 1
               : 0;
}

int ReadPrintFileInfo(const CString& folder, CString& path, int32_t& pagenum, int32_t& origintype, int32_t& x,
                      int32_t& y)
{
    return ReadKeys(InFolder(folder, kPrintFileInfoName), {u"filename", u"pagenum", u"origintype", u"x", u"y"},
                    {nullptr, &pagenum, &origintype, &x, &y}, &path)
               ? 1
               : 0;
}

int WriteTaskStartInfo(const CString& folder, int32_t pageIndex, int32_t cutCurves, int32_t jetCurves,
                       int32_t jetTotalPoints, int32_t jetPointsPerLine)
{
    return WriteStateFile(InFolder(folder, kTaskStartInfoName),
                          {Line(u"pageIndex=%d;", pageIndex), Line(u"CutCrvNums=%d;", cutCurves),
                           Line(u"jetCrvNums=%d;", jetCurves), Line(u"JetTolPt=%d;", jetTotalPoints),
                           Line(u"JetPtALine=%d;", jetPointsPerLine)},
                          DateAfterOtherStateFiles(folder, kTaskStartInfoName))
               ? 1
               : 0;
}

int ReadTaskStartInfo(const CString& folder, int32_t& pageIndex, int32_t& cutCurves, int32_t& jetCurves,
                      int32_t& jetTotalPoints, int32_t& jetPointsPerLine)
{
    return ReadKeys(InFolder(folder, kTaskStartInfoName),
                    {u"pageIndex", u"CutCrvNums", u"jetCrvNums", u"JetTolPt", u"JetPtALine"},
                    {&pageIndex, &cutCurves, &jetCurves, &jetTotalPoints, &jetPointsPerLine})
               ? 1
               : 0;
}

int WriteCutState(const CString& folder, int32_t cutEnd)
{
    const int file = nextCutStateFile.load();
    const char16_t* name = kCutStateNames[file];
    if (!WriteStateFile(InFolder(folder, name), {Line(u"CutEnd=%d;", cutEnd)}, DateAfterOtherStateFiles(folder, name)))
        return 0;
    nextCutStateFile.store(1 - file);
    return 1;
}

int ReadCutState(const CString& file, int32_t& cutEnd)
{
    return ReadKeys(file, {u"CutEnd"}, {&cutEnd}) ? 1 : 0;
}

int ReadNewestCutState(const CString& folder, int32_t& cutEnd)
{
    int64_t tT = 0, t0 = 0, t1 = 0;
    if (!GetFileTimeNs(InFolder(folder, kTaskStartInfoName), tT)) return 0;
    const CString file0 = InFolder(folder, kCutStateNames[0]);
    const CString file1 = InFolder(folder, kCutStateNames[1]);
    const bool has0 = GetFileTimeNs(file0, t0);
    const bool has1 = GetFileTimeNs(file1, t1);
    // A state older than the page's start never counts.
    if (has0 && has1) {
        if (t0 >= t1) {
            if (t0 >= tT && ReadCutState(file0, cutEnd)) return 1;
            return t1 > tT && ReadCutState(file1, cutEnd) ? 1 : 0;
        }
        if (t1 >= tT && ReadCutState(file1, cutEnd)) return 1;
        return t0 > tT && ReadCutState(file0, cutEnd) ? 1 : 0;
    }
    if (has0) return t0 >= tT && ReadCutState(file0, cutEnd) ? 1 : 0;
    if (has1) return t1 >= tT && ReadCutState(file1, cutEnd) ? 1 : 0;
    return 0;
}

int WritePageFile(const CString& path, const PlotPage& page)
{
    // The shapes in file order, cut into parts of about kPageFilePartPoints points.
    std::vector<const PlotShape*> shapes;
    std::vector<size_t> partStarts{0};
    int64_t partPoints = 0;
    for (const PlotShapeList* list : {&page.DrawList(), &page.CutList()}) {
        for (PlotShape* s = list->HeadShape(); s; s = list->ShapeAfter(s)) {
            if (partPoints >= kPageFilePartPoints) {
                partStarts.push_back(shapes.size());
                partPoints = 0;
            }
            shapes.push_back(s);
            partPoints += s->GetTolPtNum() + 1;
        }
    }
    partStarts.push_back(shapes.size());
    const size_t parts = partStarts.size() - 1;
    // A shape's pen is written before it when it differs from the pen of the shape before (and
    // before the first), so a part's text needs nothing of the parts before it.
    const auto formatPart = [&](size_t part, CStringA& text) {
        text.Empty();
        for (size_t i = partStarts[part]; i < partStarts[part + 1]; ++i) {
            const int pen = PageFilePen(*shapes[i]);
            if (i == 0 || pen != PageFilePen(*shapes[i - 1])) text.AppendFormat("SP%d;", pen);
            shapes[i]->ToPltStringFloat(text);
        }
    };
    const int threads = ShapeWorkerThreads(0);
    const size_t batch = static_cast<size_t>(threads) * kPageFilePartsPerThread;
    const auto produce = [&](const FileChunkSink& write) {
        static constexpr char kHeader[] = "HX;IN;";
        if (!write(kHeader, sizeof kHeader - 1)) return false;
        std::vector<CStringA> texts(std::min(batch, parts));
        for (size_t from = 0; from < parts; from += batch) {
            const size_t count = std::min(batch, parts - from);
            RunShapeRuns(static_cast<int>(count), threads,
                         [&](int r, ShapeRunControl&) { formatPart(from + static_cast<size_t>(r), texts[static_cast<size_t>(r)]); },
                         {});
            for (size_t r = 0; r < count; ++r)
                if (!write(texts[r].GetString(), static_cast<size_t>(texts[r].GetLength()))) return false;
        }
        return true;
    };
    return ReplaceFileAtomically(path, produce) ? 1 : 0;
}

int WritePageFiles(const CString& folder, const PlotPageList& pages)
{
    int32_t index = 0;
    for (PlotPage* page = pages.HeadPage(); page; page = pages.PageAfter(page), ++index)
        if (!WritePageFile(GetPageFilePath(folder, index), *page)) return 0;
    return 1;
}

int ReadPageFile(const CString& path, PlotShapeList& list)
{
    HpglStreamExplainer explainer;
    if (explainer.LoadHpglFile(path) != HpglAnalyzer::kLoadOk) return 0;
    const bool pageMarked = explainer.GetLength() >= 3 && (std::memcmp(explainer.GetData(), "HX;", 3) == 0 ||
                                                           std::memcmp(explainer.GetData(), "ED;", 3) == 0);
    PlotShapeList read;
    explainer.Transform(read);
    // A page file holds one load's points at the most, with its dashes: beyond that it was
    // not written by this program, and the operator is told rather than a part cut.
    if (explainer.PointBudgetExceeded() || !DashesFit(read, kLoadPointBudget - CountPoints(read))) {
        AfxMessageBox(LoadResString(StringId::kJobOverPointBudget));
        return 0;
    }
    if (read.Count() == 0) return 0;
    if (pageMarked) RestoreIndexesFromPens(read);
    DashPatternedShapes(read);
    list.Append(&read);
    list.CalArea(1);
    return 1;
}

int FindResumePage(const CString& folder, const CString& jobPath, int32_t& page, int32_t& pageCount)
{
    if (!FolderExists(folder)) {
        CreateFolder(folder);
        return 0;
    }
    int32_t count = 0;
    int64_t statePage = 0;
    if (!ReadJobPageCount(folder, jobPath, count) || !ReadStatePage(folder, statePage)) return 0;
    if (statePage < 0 || statePage >= count) return 0;
    page = static_cast<int32_t>(statePage);
    pageCount = count;
    return 1;
}

int CheckJobPage(const CString& folder, const CString& jobPath, int32_t page, int32_t& pageCount)
{
    if (!FolderExists(folder)) {
        CreateFolder(folder);
        return 0;
    }
    int32_t count = 0;
    if (!ReadJobPageCount(folder, jobPath, count) || page < 0 || page >= count) return 0;
    pageCount = count;
    return 1;
}

int FindInterruptedJob(const CString& folder, CString& jobPath, int32_t& page, int32_t& pageCount)
{
    if (!FolderExists(folder)) return 0;
    CString path;
    int32_t count = 0, origintype = 0, x = 0, y = 0;
    if (!ReadPrintFileInfo(folder, path, count, origintype, x, y)) return 0;
    int64_t statePage = 0;
    if (!ReadStatePage(folder, statePage)) statePage = 0;
    // A job whose last page was finished is done: recreating it would cut it once more.
    if (count < 1 || statePage < 0 || statePage >= count) return 0;
    jobPath = path;
    page = static_cast<int32_t>(statePage);
    pageCount = count;
    return 1;
}

void RemoveResumeState(const CString& folder)
{
    for (const char16_t* name : {kPrintFileInfoName, kTaskStartInfoName, kCutStateNames[0], kCutStateNames[1]})
        DeleteFile(InFolder(folder, name));
    for (int32_t page = 0; page < INT32_MAX && DeleteFile(GetPageFilePath(folder, page)); ++page) {
    }
}
