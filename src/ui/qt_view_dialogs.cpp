// The views' dialogs on Qt widgets.
#include "ui/qt_view_dialogs.h"

#include "app/doc_corvane.h"
#include "app/udp_server.h"
#include "machinelink/net_machine.h"
#include "ui/dlg_input_password.h"
#include "ui/dlg_modify_curve_sp_index.h"
#include "ui/dlg_modify_prt_times.h"
#include "ui/dlg_recgnise_loop.h"

namespace {

// SP button n is painted in pen colour n.
constexpr int kFirstSpPen = 1;

}  // namespace

QtViewDialogs::QtViewDialogs(CUDPServer& server, std::function<const CDocCorvane*()> mainDocument, QWidget* parent)
    : server_(server), mainDocument_(std::move(mainDocument)), parent_(parent)
{
}

std::optional<int32_t> QtViewDialogs::AskCopies(int32_t copies)
{
    CDlgModifyPrtTimes dialog(copies, parent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.m_nValue;
}

std::optional<int32_t> QtViewDialogs::AskPage(int32_t page)
{
    CDlgSelPage dialog(page, parent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.m_nValue;
}

bool QtViewDialogs::AskPassword(const CString& expected) { return AskForPassword(expected, parent_); }

std::optional<int> QtViewDialogs::AskCurveSpIndex(int sp, const NET_Machine* machine)
{
    CDlgModifyCurveSPIndex dialog(sp, RolesOf(machine), SpColours(), parent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.m_nSP;
}

std::optional<BatchSpChoice> QtViewDialogs::AskBatchSpIndex(const NET_Machine* machine)
{
    CDlgModifyCurveSPIndexBatch dialog(RolesOf(machine), SpColours(), parent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.m_choice;
}

std::optional<RecgniseLoopValues> QtViewDialogs::AskContourOptions(const PenModeSettings& penModes)
{
    CDlgRecgniseLoop dialog(penModes, parent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.m_values;
}

const CDocCorvane* QtViewDialogs::MainDocument() const { return mainDocument_ ? mainDocument_() : nullptr; }

std::optional<SpRoles> QtViewDialogs::RolesOf(const NET_Machine* machine) const
{
    if (machine == nullptr || MainDocument() == nullptr) return std::nullopt;
    // The key names the machine for its whole life; its SP bytes are read under the lock.
    return CopySpRoles(server_, machine->ip);
}

std::optional<SpSwatchColours> QtViewDialogs::SpColours() const
{
    const CDocCorvane* document = MainDocument();
    if (document == nullptr) return std::nullopt;
    return PenColoursFrom(document->penToolSettings, kFirstSpPen);
}
