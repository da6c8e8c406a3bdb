// CDocCorvane's auto-print and merge scanning: the directory settings, the open entry, the
// auto and merge directory scans of the 2000 ms tick, and merging files onto one sheet.
//
// Merging: every source job's loaded list gets its cached box enlarged by the gap ("MergeBlank"
// mm) on all sides; up to four lists are packed on one skyline widest first, five or more in
// the order a genetic search finds, on material "MergeWidth" mm wide (Y across the material,
// X along it). Each list is moved by its slot's corner and its shapes handed to the merged
// job, whose box is then recomputed. Lengths are plotter units (40 per mm) unless named mm.
#include "app/app_globals.h"
#include "app/doc_corvane.h"
#include "app/list_lines.h"
#include "app/list_rows.h"
#include "app/preview_port.h"
#include "app/print_task.h"
#include "app/settings_keys.h"
#include "app/string_table.h"
#include "app/udp_server.h"
#include "geometry/int_truncation.h"
#include "machinelink/net_machine.h"
#include "platform/file_dialog.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/settings_store.h"
#include "preprocess/sheet_packing.h"
#include "preprocess/sort_rect_genetic_algorithm.h"

#include <cmath>
#include <memory>
#include <set>
#include <vector>

namespace {

using namespace SettingsKeys;

constexpr double kUnitsPerMm = 40.0;
constexpr float kDefaultMergeWidthMm = 1800.0f;
constexpr float kDefaultMergeBlankMm = 1.0f;
constexpr float kDefaultDirScale = 1.0f;
// Up to this many files are packed directly; more go through the genetic search.
constexpr int kDirectPackingLimit = 4;
// The genetic search: population, crossover and mutation probabilities, generations.
constexpr int kGaPopulation = 30;
constexpr float kGaCrossover = 0.75f;
constexpr float kGaMutation = 0.01f;
constexpr int kGaGenerations = 1000;
// A listed file changed this recently (seconds) may still be being written.
constexpr int64_t kAutoFileSettleSeconds = 3;
// A merge directory waits until none of its files was written in the current second.
constexpr int64_t kMergeFileSettleSeconds = 1;

// Index i appended to a key name.
CString IndexedKey(const char16_t* name, int i)
{
    CString key;
    key.Format(u"%s%d", name, i);
    return key;
}

// A stored directory without its trailing "/".
CString ReadDirectory(const char16_t* key)
{
    CString directory = GetProfileString(kAutoPrintSection, key);
    directory.TrimRight(u'/');
    return directory;
}

// A stored float; a value that is not finite or fails valid() takes the default, so a
// damaged store cannot make a zero, negative or NaN scale, width or gap.
template <class Valid>
float ReadFloat(const char16_t* key, float defaultValue, Valid valid)
{
    const float value = GetProfileFloat(kAutoPrintSection, key, defaultValue);
    return std::isfinite(value) && valid(value) ? value : defaultValue;
}

float ReadPositiveFloat(const char16_t* key, float defaultValue)
{
    return ReadFloat(key, defaultValue, [](float v) { return v > 0.0f; });
}

// The search pattern of every file of directory; empty for an empty directory name.
CString AllFilesPattern(const CString& directory)
{
    CString folder = directory;
    folder.TrimRight(u'/');
    return folder + u"/*.*";
}

bool HasShapes(const CPrintTask* job) { return job->GetCutList() != nullptr && job->GetCutList()->Count() > 0; }

// Enlarges the cached box of list by gap units on every side (held within 32 bits).
void EnlargeCachedBox(PlotShapeList& list, double gap)
{
    CArea box = list.GetArea();
    box.xmin = TruncateToInt32(box.xmin - gap);
    box.ymin = TruncateToInt32(box.ymin - gap);
    box.xmax = TruncateToInt32(box.xmax + gap);
    box.ymax = TruncateToInt32(box.ymax + gap);
    list.SetArea(box);
}

}  // namespace

void CDocCorvane::LoadDirectorySettings()
{
    autoDirectory = ReadDirectory(kAutoDirectory);
    copyDirectory = ReadDirectory(kCopyDirectory);
    mergeDirectory = ReadDirectory(kMergeDirectory);
    sortCuts = GetProfileInt(kFileSection, kSortCut, 1);
    penToolSettings.recogniseOnOpen = GetProfileInt(kFileSection, kRecogniseOnOpen, 0);
    glRecogniseContourWhenFileOpen = penToolSettings.recogniseOnOpen;
    LoadAutoDirectorySettings();
}

void CDocCorvane::LoadAutoDirectorySettings()
{
    for (int i = 0; i < 4; ++i) {
        extraAutoDirectories[i] = ReadDirectory(IndexedKey(kExtraAutoDirectory, i).GetString());
        extraMergeDirectories[i] = ReadDirectory(IndexedKey(kExtraMergeDirectory, i).GetString());
        extraXScale[i] = ReadPositiveFloat(IndexedKey(kExtraDirXScale, i).GetString(), kDefaultDirScale);
        extraYScale[i] = ReadPositiveFloat(IndexedKey(kExtraDirYScale, i).GetString(), kDefaultDirScale);
    }
}

void CDocCorvane::SaveAutoDirectorySettings()
{
    for (int i = 0; i < 4; ++i) {
        WriteProfileString(kAutoPrintSection, IndexedKey(kExtraAutoDirectory, i).GetString(),
                           extraAutoDirectories[i].GetString());
        WriteProfileString(kAutoPrintSection, IndexedKey(kExtraMergeDirectory, i).GetString(),
                           extraMergeDirectories[i].GetString());
        WriteProfileFloat(kAutoPrintSection, IndexedKey(kExtraDirXScale, i).GetString(), extraXScale[i]);
        WriteProfileFloat(kAutoPrintSection, IndexedKey(kExtraDirYScale, i).GetString(), extraYScale[i]);
    }
}

void CDocCorvane::ApplyAutoDirScale(const CString& path, PlotShapeList* list) const
{
    const int slash = path.ReverseFind(u'/');
    if (list == nullptr || slash <= 0) return;
    const bool merged = path.Left(6) == CString(u"Merge:");
    const CString folder = merged ? path.Mid(6, slash - 6) : path.Left(slash);
    const CString* directories = merged ? extraMergeDirectories : extraAutoDirectories;
    for (int i = 0; i < 4; ++i) {
        CString directory = directories[i];
        directory.TrimRight(u'/');
        // An unset directory (empty) names no folder, not the merged job "Merge:/x.plt".
        if (!directory.IsEmpty() && folder.CompareNoCase(directory.GetString()) == 0) {
            list->Scale(extraXScale[i], extraYScale[i]);
            return;
        }
    }
}

int CDocCorvane::OnOpenDocumentAsJob(const CString& path) { return OpenJobAtTop(path, true); }

int CDocCorvane::AddFileToDocument(const CString& path) { return OpenJobAtTop(path, false); }

int CDocCorvane::OpenJobAtTop(const CString& path, bool ask)
{
    if (CPrintTask* listed = FindJobByPath(path)) {
        if (ask) {
            CString question;
            question.Format(LoadResString(StringId::kFileAlreadyOpen).GetString(), path);
            if (AfxMessageBox(question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) return 0;
        }
        if (jobRows_ != nullptr) SendJobLine(kLineDeleted, jobRows_->FindJobRow(listed));
        RemoveJob(listed);
    }
    auto* job = new CPrintTask(path.GetString());
    job->listed = 1;
    job->SetChecked(1);
    if (!AddJobToList(job, 0)) {
        if (IsInAutoDirectory(path)) DeleteFileQuietly(path);
        delete job;
        return 0;
    }
    if (preview_ != nullptr) preview_->ShowJob(job);
    job->LoadPrintTaskFile();
    if (jobRows_ != nullptr) {
        jobRows_->FormatJobRow(0, -1);
        SendJobLine(kLineInserted, 0);
        jobRows_->SelectRow(0);
    }
    return 1;
}

void CDocCorvane::ScanAutoDirectories(const CString& directory)
{
    // An unset directory scans nothing: its pattern would list the root, and the copy step
    // deletes what it copies.
    if (directory.IsEmpty()) return;
    CFileFind find;
    for (BOOL more = find.FindFile(AllFilesPattern(directory)); more;) {
        more = find.FindNextFile();
        const CString path = find.GetFilePath();
        CFileStatus status;
        if (!IsAcceptedJobFile(find.GetFileName()) || !CFile::GetStatus(path.GetString(), status)) continue;
        if (CPrintTask* listed = FindJobByPath(path)) {
            const int64_t age = _time64(nullptr) - status.m_mtime;
            if (status.m_mtime == listed->fileStatus.m_mtime || age < kAutoFileSettleSeconds) continue;
            if (jobRows_ != nullptr) SendJobLine(kLineDeleted, jobRows_->FindJobRow(listed));
            RemoveJob(listed);
        }
        if (copyToggle_ && !copyDirectory.IsEmpty()) {
            const CString target = copyDirectory + u"/" + find.GetFileName();
            if (CopyFile(path, target, TRUE)) {
                DeleteFileQuietly(path);
                copyToggle_ = 0;
                continue;
            }
            CFileStatus targetStatus;
            if (!CFile::GetStatus(target.GetString(), targetStatus)) copyDirectory.Empty();
        }
        auto* job = new CPrintTask(path.GetString());
        job->listed = 1;
        job->SetChecked(1);
        // Only a listed file is announced: after a failure the last row is another job's.
        if (AddJobToList(job, -1)) {
            copyToggle_ = 1;
            if (jobRows_ != nullptr) SendJobLine(kLineInserted, jobRows_->GetRowCount() - 1);
        } else {
            DeleteFileQuietly(path);
            delete job;
        }
    }
}

void CDocCorvane::ScanMergeDirectories(const CString& directory)
{
    if (directory.IsEmpty()) return;
    const CString pattern = AllFilesPattern(directory);
    CFileFind find;
    std::set<std::u16string> settled;
    for (BOOL more = find.FindFile(pattern); more;) {
        more = find.FindNextFile();
        CFileStatus status;
        if (!IsAcceptedJobFile(find.GetFileName()) || !CFile::GetStatus(find.GetFilePath().GetString(), status))
            continue;
        if (_time64(nullptr) - status.m_mtime < kMergeFileSettleSeconds) return;
        settled.insert(find.GetFilePath().str());
    }
    if (settled.empty()) return;

    // Only the files the age test passed are taken: one that appeared since may still be
    // being written, and taking it would delete it half-read.
    std::vector<std::unique_ptr<CPrintTask>> kept;
    for (BOOL more = find.FindFile(pattern); more && kept.size() < settled.size();) {
        more = find.FindNextFile();
        const CString path = find.GetFilePath();
        if (!IsAcceptedJobFile(find.GetFileName()) || settled.count(path.str()) == 0) continue;
        auto job = std::make_unique<CPrintTask>(path.GetString());
        job->LoadPrintTaskFile();
        if (HasShapes(job.get())) kept.push_back(std::move(job));
        DeleteFileQuietly(path);
    }
    if (kept.empty()) return;
    std::vector<CPrintTask*> jobs;
    for (const auto& job : kept) jobs.push_back(job.get());
    auto* merged = new CPrintTask;
    MergeFilesByGa(jobs.data(), static_cast<int>(jobs.size()), merged);
    ListMergedJob(merged);
}

void CDocCorvane::OnMergeFiles()
{
    std::vector<CString> paths;
    const CString filter = LoadResString(StringId::kMergeFilesFilter) +
                           u" (*.hpgl *.dxf *.prn *.plt *.pmd *.hpg *.prt *.ctm *.p*);;" +
                           LoadResString(StringId::kAllFilesFilter) + u" (*)";
    if (!GetFileDialogs().OpenFiles(LoadResString(StringId::kOpenCaption), filter, paths) || paths.empty()) return;
    std::vector<std::unique_ptr<CPrintTask>> loaded;
    auto current = std::make_unique<CPrintTask>();
    for (const CString& path : paths) {
        current->LoadFromPath(path);
        if (HasShapes(current.get())) {
            loaded.push_back(std::move(current));
            current = std::make_unique<CPrintTask>();
        }
    }
    if (loaded.empty()) return;
    std::vector<CPrintTask*> jobs;
    for (const auto& job : loaded) jobs.push_back(job.get());
    auto* merged = new CPrintTask;
    MergeFilesByGa(jobs.data(), static_cast<int>(jobs.size()), merged);
    ListMergedJob(merged);
}

void CDocCorvane::MergeFilesByGa(CPrintTask** jobs, int count, CPrintTask* target)
{
    if (jobs == nullptr || count < 1 || target == nullptr) return;
    const float widthMm = ReadPositiveFloat(kMergeWidth, kDefaultMergeWidthMm);
    const float blankMm = ReadFloat(kMergeBlank, kDefaultMergeBlankMm, [](float v) { return v >= 0.0f; });
    const double gap = blankMm * kUnitsPerMm;
    target->path = CString(u"Merge:") + jobs[0]->path;

    std::vector<PlotShapeList*> lists(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        lists[i] = jobs[i]->GetCutList();
        if (lists[i] != nullptr && lists[i]->Count() > 0) EnlargeCachedBox(*lists[i], gap);
    }
    delete target->jobList;
    target->jobList = new PlotShapeCutList;

    if (count <= kDirectPackingLimit) {
        CArray<HorizontalLine> skyline;
        HorizontalLine material;
        material.to = TruncateToInt32(widthMm * kUnitsPerMm);
        skyline.Add(material);
        SortRects_LowestHorizontalLine(lists.data(), count, skyline, target->jobList);
    } else {
        SetRectData(lists.data(), count, TruncateToInt32(widthMm), target->jobList);
        SortRect_GeneticAlgorithm search;
        search.SetParam(kGaPopulation, kGaCrossover, kGaMutation, kGaGenerations);
        search.SetChromosomeSize(count);
        search.StartCalculate();
        search.GetStoredBestIndividual()->GetResult(target->jobList);
    }

    target->loaded = 1;
    target->jobRef = NextJobRef();
    const CArea box = target->jobList->CalArea(1);
    target->widthMm = box.Width() / static_cast<int32_t>(kUnitsPerMm);
    target->heightMm = box.Height() / static_cast<int32_t>(kUnitsPerMm);
    jobList_.AddTail(target);
    target->SetChecked(1);
    ClearRectData();
}

void CDocCorvane::ListMergedJob(CPrintTask* merged)
{
    if (machineRows_ != nullptr) {
        CSingleLock lock(&server_.GetLock(), TRUE);
        if (const NET_Machine* current = machineRows_->GetCheckedMachine()) merged->machine = current->ip;
    }
    if (jobRows_ != nullptr) {
        const int row = jobRows_->InsertJobRow(-1, merged->path, merged);
        jobRows_->FormatJobRow(row, -1);
        jobRows_->SelectRow(0);
    }
    if (preview_ != nullptr) {
        preview_->ShowJob(merged);
        preview_->FitJobToView();
    }
    if (jobRows_ != nullptr) SendJobLine(kLineInserted, jobRows_->FindJobRow(merged));
}

void CDocCorvane::RunAutoPrintTick()
{
    ScanAutoDirectories(autoDirectory);
    for (const CString& directory : extraAutoDirectories) ScanAutoDirectories(directory);
    ScanMergeDirectories(mergeDirectory);
    for (const CString& directory : extraMergeDirectories) ScanMergeDirectories(directory);
    if (directoryPrint)
        AutoDispatchJobs();
    else
        ClearWorkWaiting();
}
