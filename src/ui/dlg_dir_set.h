// CDlgDirSet: the program settings dialog "设置": job directories, merge sizes, text scale,
// discovery addresses, file options and the LAN tools.
#pragma once

#include "platform/posted_message.h"
#include "ui/dir_set_values.h"
#include "ui/lan_search_block.h"

#include <QDialog>

#include <memory>

class CDlgWait1;
class CDocCorvane;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;

// The external address tool "手动地址设置" starts from the program directory.
inline constexpr const char16_t* kAddressToolName = u"CorvaneAddressTool";
// The password that guards it (compared exactly).
inline constexpr const char16_t* kAddressToolPassword = u"tqmzr";

class CDlgDirSet : public QDialog, public CMessageTarget, private LanSearchView {
    Q_OBJECT
public:
    // Edits doc's extra directories, everything else through host; the LAN tools use lan.
    CDlgDirSet(CDocCorvane& doc, DirSetHost& host, LanBackend& lan, QWidget* parent = nullptr);
    // Waits for a running LAN worker before the search block goes.
    ~CDlgDirSet() override;

    // Runs the dialog modally; IDOK when it closed through OK.
    int DoModal();
    // OK: the OK steps; stays open after a field's message.
    void OnOK();
    // "查找网络": refills both address lists.
    void OnFindNetwork();
    // "手动地址设置": the password, then the external address tool.
    void OnManualAddress();

    // Refuses to close while a LAN worker runs (it works on the dialog's search block).
    void done(int result) override;

protected:
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void closeEvent(QCloseEvent* event) override;

private:
    LanWaitBox* CreateWaitBox() override;
    void DestroyWaitBox() override;
    void ShowSearchedAddress(const CString& address) override;
    void SetLanToolsEnabled(bool enabled) override;

    // The values as the fields hold them now.
    DirSetValues EditedValues() const;

    CDocCorvane& doc_;
    DirSetHost& host_;
    LanBackend& lan_;
    DirSetValues opened_;
    std::unique_ptr<CDlgWait1> waitBox_;
    std::unique_ptr<LanSearchFlow> flow_;

    QLineEdit* autoDirectory_;
    QLineEdit* mergeDirectory_;
    QLineEdit* copyDirectory_;
    QLineEdit* mergeWidth_;
    QLineEdit* mergeBlank_;
    QLineEdit* textScale_;
    QComboBox* broadcast_;
    QComboBox* serverBroadcast_;
    QCheckBox* deleteAfterPrint_;
    QCheckBox* nightMode_;
    QCheckBox* sortCuts_;
    QCheckBox* bsplineFit_;
    QCheckBox* recogniseOnOpen_;
    QPushButton* ok_;
    QPushButton* lanSearch_;
    QPushButton* findNetwork_;
    QPushButton* manualAddress_;
};

// The document's global-settings command: runs the settings dialog modally on doc, with the
// program's host and the PC's network.
void RunGlobalSettingsDialog(CDocCorvane& doc, QWidget* parent);
