// CDocCorvane: the program's one document: the job list, the views' rows it works on, and the
// job and machine operations of the job list.
#pragma once

#include "app/dispatch_refusal.h"
#include "geometry/ol_list.h"
#include "platform/carray.h"
#include "platform/cstring.h"
#include "plotmodel/pen_mode_settings.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class CPrintTask;
class JobPreparation;
class CUDPServer;
class DocumentDialogs;
class JobListRows;
class MachineListRows;
class NET_Machine;
class PlotShapeList;
class PreviewPort;

class CDocCorvane {
public:
    // Works on server's machines; reads the sort-cuts setting.
    explicit CDocCorvane(CUDPServer& server);
    // Destroys every listed job.
    ~CDocCorvane();
    CDocCorvane(const CDocCorvane&) = delete;
    CDocCorvane& operator=(const CDocCorvane&) = delete;

    CUDPServer& GetServer() { return server_; }
    // The rows of the job list and machine list views (null until the views exist).
    void SetListRows(JobListRows* jobRows, MachineListRows* machineRows);
    JobListRows* GetJobRows() const { return jobRows_; }
    MachineListRows* GetMachineRows() const { return machineRows_; }

    // Lists job with a row at index row (at the end when row < 0 or above the row count),
    // assigned to the current machine when one is checked: 1 when listed; 0 when job is null
    // or its file has no status. The list owns the job from then on.
    int AddJobToList(CPrintTask* job, int row);
    // The first listed job whose path equals path exactly, or null.
    CPrintTask* FindJobByPath(const CString& path) const;
    // The listed job of this nonzero reference, or null (a machine's job reference may name
    // a job that has left the list meanwhile).
    CPrintTask* FindJobByReference(uint32_t jobRef) const;
    // Whether job is still in the job list.
    bool IsJobListed(const CPrintTask* job) const;

    // The job list; owns its jobs.
    OL_List& GetJobList() { return jobList_; }

    // ---- dispatching jobs to machines ----

    // Starts preparing one page of task for machine on a preparation worker; once it is
    // prepared (ApplyFinishedPreparations) it is handed to the machine and started. 1 when the
    // preparation started; 0 when refused, the operator and the clients told why. wholeJob
    // nonzero paginates afresh; else page < 0 resumes the machine's interrupted page (or
    // paginates when there is none) and page >= 0 cuts that page.
    int DispatchJobToMachine(CPrintTask* task, NET_Machine* machine, int wholeJob, int page);
    // The start command: resumes the selected (else checked) machine inside its job, or starts
    // the first selected job that is not running on it.
    void StartCurrentMachine();
    // The same for the machine and job of the given rows (a remote client's start).
    void StartMachineRow(int machineRow, int jobRow);
    // Dispatches the first checked job with copies left, not running, unassigned or assigned
    // to machine; 1 when one was started.
    int DispatchFirstCheckedJob(NET_Machine* machine);
    // The same, searching from the row after afterTask's.
    int DispatchNextCheckedJob(NET_Machine* machine, CPrintTask* afterTask);
    // The machine asked for a job: the first selected job not running, request value value
    // (1 for 0).
    void OnMachineJobRequest(NET_Machine* machine, int value);
    // The machine's start key: its job's next page, or the next job.
    void OnMachineStartKey(NET_Machine* machine);
    // Cuts the job of a row again from its first page, or one page of it.
    void RecutJob(int row);
    void CutJobPage(int row, int page);
    // The automatic pass of the 2000 ms timer: tells machines whether work waits and starts
    // the jobs waiting for them.
    void AutoDispatchJobs();

    // ---- preparations of dispatches (job_dispatcher.cpp) ----
    // At most one preparation runs per machine, and a job is prepared for one machine at a
    // time: a dispatch to either while it runs is refused (kBeingPrepared); the automatic
    // pass waits for it.

    // Applies every preparation whose worker has ended: hands its lists to the machine and
    // starts it, or tells why not and removes what the start left in the state folder (the
    // frame calls it on WM_JOB_PREPARATION_DONE).
    void ApplyFinishedPreparations();
    // Shows the stage and percent of the preparation for machineKey in the status bar (the
    // frame calls it on WM_JOB_PREPARATION_PROGRESS).
    void ShowPreparationProgress(uint32_t machineKey);
    bool IsMachineBeingPrepared(uint32_t machineKey) const;
    bool IsJobBeingPrepared(const CPrintTask* job) const;
    bool HasPreparations() const { return !preparations_.empty(); }
    // Cancels the preparation for machineKey; true when one was running.
    bool CancelPreparation(uint32_t machineKey);
    // Shows text in the frame's status bar (the frame sets it; unset shows nothing).
    std::function<void(const CString& text)> showStatusText;

    // ---- resuming from a machine's state folder ----

    // Lists (or marks) the job machine was cutting when it stopped, at its page.
    void ResumeInterruptedJob(NET_Machine& machine);

    // 1: the dispatcher orders the knife cuts by loops ("FileSetting"/"SortCut", default 1).
    int32_t sortCuts = 1;

    // ---- Job list commands (doc_corvane_commands.cpp) ----
    // Machine commands go to the link thread as command frames; machine fields are read and
    // written under the manager's lock. Every command does nothing when its row, job or
    // machine is missing, out of range, offline or in the wrong state.

    // The preview view and the document's dialogs (null until they exist; no dialog then
    // acts as cancelled).
    void SetPreview(PreviewPort* preview) { preview_ = preview; }
    PreviewPort* GetPreview() const { return preview_; }
    void SetDialogs(DocumentDialogs* dialogs) { dialogs_ = dialogs; }

    // The pen-to-tool table and colours the document starts with.
    static PenModeSettings DefaultPenToolSettings();

    // Unlinks job (null: the selected row's job) from the list, clears it from the preview,
    // deletes its row and destroys it.
    void RemoveJob(CPrintTask* job);
    // 1 when the folder of path is the main auto directory (names compare exactly).
    int IsInAutoDirectory(const CString& path) const;
    // Removes the file, ignoring every failure.
    static void DeleteFileQuietly(const CString& path);
    // 1 when name has an extension of the plot-file filter or ".P"/".p" and two digits.
    static int IsAcceptedJobFile(const CString& name);
    // 0 while a ticked job with copies left runs or waits on a machine that still holds work.
    int NoJobPending();
    // Clears the work-waiting handshake of every idle online machine.
    void ClearWorkWaiting();
    // Directory printing := value != 0; the "<FILEa,%d>" line goes to every client.
    void SetDirectoryPrint(int value);
    // The job line of kind ('i', 'u', 'd') for a job row, from the texts the row holds; empty
    // for a row out of range.
    CString BuildJobLine(char16_t kind, int row, int callerValue = -1) const;
    // Sends the job line of kind for row to every client.
    void SendJobLine(char16_t kind, int row, int callerValue = -1) const;

    // Commands the frame carries out on the selected job row.
    void OnIncreaseCopies();   // 32817
    void OnDecreaseCopies();   // 32818
    void OnMoveJobDown();      // 32819
    void OnMoveJobUp();        // 32820
    void OnMoveJobToBottom();  // 32869
    void OnMoveJobToTop();     // 32870

    // Menu, tool-bar and panel commands.
    void OnGlobalSettings();        // 32827
    void OnPauseJob();              // 32781
    void OnCancelJob();             // 32780
    void OnAssignJobsToMachine();   // 32832
    void OnPenToolSettings();       // 32835
    void OnResetMachine();          // 32837
    void OnDeleteJobs();            // 32853
    void OnTestJet();               // 32860
    void OnZeroMachine();           // 32856
    void OnMachineSetup();          // 32867
    void OnDirectoryPrint();        // 32868
    void OnExportPlt();             // panel button 1005
    void OnMachinePreview();        // panel
    // Whether the machine commands 32856, 32860, 32837 and 32867 are enabled.
    bool HasSelectedMachine() const;
    // Sends text as command 0 ("g0;", "b10,0;" ...) to machine.
    void SendMachineText(const NET_Machine* machine, const char* text);
    // Resets machine ("b9,0;"); tests its jet heads (head configuration, then command 128 value 7).
    void ResetMachine(const NET_Machine* machine);
    void TestJetHeads(NET_Machine* machine);

    // Job commands of remote clients (rows are job-list rows, machine rows machine-list rows).
    void RemoteChangeCopies(int32_t delta, int row);
    void RemoteDeleteJob(int row);
    void RemoteSetJobCheck(int32_t value, int row);
    void RemoteAssignJob(int machineRow, int row);
    void RemoteMoveJob(int to, int from);
    void RemotePauseJob(int machineRow, int row);
    void RemoteMachinePreview(int machineRow, int row);
    void RemoteStopJob(int machineRow, int row);

    // Directory printing: the auto-print tick dispatches jobs by itself while 1.
    int32_t directoryPrint = 0;
    // The PLT recognition settings, from their defaults.
    PenModeSettings penToolSettings = DefaultPenToolSettings();
    // The main auto, merge and copy directories, without a trailing "/".
    CString autoDirectory;
    CString mergeDirectory;
    CString copyDirectory;
    // The extra auto and merge directories; index i shares the scales of index i.
    CString extraAutoDirectories[4];
    CString extraMergeDirectories[4];
    float extraXScale[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float extraYScale[4] = {1.0f, 1.0f, 1.0f, 1.0f};

    // ---- Auto-print and merge scanning (doc_corvane_autoprint.cpp) ----

    // Reads the directories, "SortCut" and the recognise-on-open flag from the settings store.
    void LoadDirectorySettings();
    // Reads and writes the extra directories and their scales.
    void LoadAutoDirectorySettings();
    void SaveAutoDirectorySettings();
    // Scales list by the scales of the extra auto or merge directory that path lies in.
    void ApplyAutoDirScale(const CString& path, PlotShapeList* list) const;
    // The document's open entry: lists path as a new top job (asking before replacing a
    // listed one), loads and shows it. 1 when listed.
    int OnOpenDocumentAsJob(const CString& path);
    int OnOpenDocument(const CString& path) { return OnOpenDocumentAsJob(path); }
    // As OnOpenDocumentAsJob, replacing a listed job of that path without asking.
    int AddFileToDocument(const CString& path);
    // One job per new or changed plot file of directory (empty: nothing).
    void ScanAutoDirectories(const CString& directory);
    // One merged job of every plot file of directory once none is younger than 1 s.
    void ScanMergeDirectories(const CString& directory);
    // The merge command 32880: merges the files the operator chooses (they stay on disk).
    void OnMergeFiles();
    // Packs the loaded shapes of jobs[0..count) into target, names it after jobs[0] and
    // appends it to the job list.
    void MergeFilesByGa(CPrintTask** jobs, int count, CPrintTask* target);
    // The 2000 ms auto-print timer: the five auto directories, the five merge directories,
    // then the automatic dispatch (directory printing on) or the work-waiting pass.
    void RunAutoPrintTick();

private:
    // Sets task's machine and the machine's request value, refreshes the job's IP column and
    // dispatches it from its resume point (or fresh); requestValue < 0 keeps the request.
    int StartJobOnMachine(CPrintTask* task, NET_Machine* machine, int requestValue);
    // The first checked job from row first on that can go to machine, or null.
    CPrintTask* FindCheckedJobFor(const NET_Machine& machine, int first) const;
    // Refreshes the columns of task's row (column -1: all).
    void RefreshJobRow(const CPrintTask& task, int column);
    // Sends the line of task's row, of kind 'i', 'u' or 'd', to every upload client.
    void SendJobLine(char16_t kind, const CPrintTask& task);
    // The machine of the selected machine row, else of the checked one.
    NET_Machine* SelectedOrCheckedMachine() const;
    // Tells why task's start was refused: the status bar says it, the job's state column
    // shows it, and the clients get the row's line when that changed.
    void TellDispatchRefusal(CPrintTask* task, DispatchRefusal reason);
    // Hands the finished preparation's page to its machine and starts it, or tells why not.
    void ApplyPreparation(JobPreparation& preparation);
    // Cancels the preparation of job; true when one was running.
    bool CancelJobPreparation(const CPrintTask* job);

    // The machine of key if it is printing and online, else null (under the lock).
    NET_Machine* PrintingMachineByKey(uint32_t key);
    // Stops machine's job from the step that sets its job state to 0 on.
    void StopMachineJob(NET_Machine* machine);
    // Sends the swap line of row, whose job traded places with otherRow's, to every client.
    void SendJobSwapLine(int row, int otherRow) const;
    // Exchanges the jobs of rows a and b and refills both.
    void SwapRowJobs(int a, int b);
    // Moves the job of row from to index to, refilled, selected and focused.
    void MoveRow(int from, int to);
    // Deletes the job of row unless it runs: its auto-directory file, its row, the job.
    void DeleteJobRow(int row);
    // Lists, loads and shows path as the new top job; replace says whether a listed job of
    // that path is replaced without asking.
    int OpenJobAtTop(const CString& path, bool ask);
    // Lists a merged job at the end of the job list, row 0 selected, shown in the preview.
    void ListMergedJob(CPrintTask* merged);

    // Set after a scanned file became a job: the next new file goes to the copy directory.
    int32_t copyToggle_ = 0;
    PreviewPort* preview_ = nullptr;
    DocumentDialogs* dialogs_ = nullptr;

    CUDPServer& server_;
    OL_List jobList_;
    // The running preparations, by machine key.
    std::map<uint32_t, std::unique_ptr<JobPreparation>> preparations_;
    JobListRows* jobRows_ = nullptr;
    MachineListRows* machineRows_ = nullptr;
};
