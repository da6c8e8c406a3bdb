// CDlgModifyPrtTimes and CDlgSelPage: the untitled copies dialog "打印份数：" and page dialog
// "页序号" of the job list, one whole number 0..2147483647 each.
#pragma once

#include <QDialog>

#include <cstdint>

class QLineEdit;

// One labelled count field with OK and Cancel; OK keeps the dialog open, with the field
// message, until the field holds a count.
class CountFieldDialog : public QDialog {
    Q_OBJECT
protected:
    CountFieldDialog(const QString& label, int32_t value, QWidget* parent);

public:
    // The count shown at opening and, after OK, the count entered.
    int32_t m_nValue;

private:
    void OnOK();

    QLineEdit* edit_;
};

class CDlgModifyPrtTimes : public CountFieldDialog {
    Q_OBJECT
public:
    explicit CDlgModifyPrtTimes(int32_t copies, QWidget* parent = nullptr);
};

class CDlgSelPage : public CountFieldDialog {
    Q_OBJECT
public:
    explicit CDlgSelPage(int32_t page, QWidget* parent = nullptr);
};
