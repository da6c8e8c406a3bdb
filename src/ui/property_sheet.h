// CPropertySheet and CPropertyPage: a modal dialog of tabbed pages with OK and Cancel.
//
// A page builds and fills its controls when it is first shown. Leaving a tab validates its
// page, and a page that fails stays shown. OK validates every page that was shown, then runs
// OnOK of those pages only, in tab order; pages never shown keep the record as it was.
#pragma once

#include "platform/message_box.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QDialogButtonBox;
class QTabWidget;

class CPropertyPage : public QWidget {
    Q_OBJECT
public:
    explicit CPropertyPage(const QString& title);

    const QString& Title() const { return title_; }
    // True once the page was shown (and so initialised).
    bool WasShown() const { return shown_; }
    // Initialises the page the first time; later calls do nothing.
    void EnsureInitialised();

    // Builds and fills the controls; runs once, when the page is first shown.
    virtual void OnInitDialog() {}
    // Validates and takes the controls; false (after its message) keeps the page shown.
    virtual bool OnKillActive() { return true; }
    // Stores the taken values; runs on OK for shown pages only.
    virtual void OnOK() {}

private:
    QString title_;
    bool shown_ = false;
};

class CPropertySheet : public QDialog {
    Q_OBJECT
public:
    explicit CPropertySheet(const QString& caption, QWidget* parent = nullptr);
    // Gives every page back to its owner: pages are not the sheet's.
    ~CPropertySheet() override;

    // Adds page as the next tab; the page must outlive the sheet's use of it.
    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    CPropertyPage* GetPage(int index) const { return pages_[static_cast<size_t>(index)]; }
    // Shows page index when the shown page validates; false when it stays.
    bool SetActivePage(int index);
    int GetActiveIndex() const;

    // Runs the sheet modally; IDOK or IDCANCEL.
    int DoModal();
    // Validates every shown page and stores them; closes with IDOK when all validated.
    void PressOK();

protected:
    // Captions of the first tabs, in place of their pages' titles.
    void SetTabCaptions(const QStringList& captions) { tabCaptions_ = captions; }

private:
    void OnTabChanged(int index);

    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
    std::vector<CPropertyPage*> pages_;
    QStringList tabCaptions_;
    int activeIndex_ = -1;
};
