// CViewCtlPanel: the control panel at the right of the main window's upper row: the jog
// buttons that move the selected machine while held, buttons for the document's and the
// preview's panel commands, and the work-mode box. CMyButton: one held jog button.
#pragma once

#include "ui/jog_control.h"

#include <QPushButton>
#include <QScrollArea>

#include <cstdint>
#include <optional>

class CDocCorvane;
class QAbstractButton;
class QComboBox;

// Control ids of the panel.
inline constexpr int IDC_JOG_1001 = 1001;
inline constexpr int IDC_JOG_1002 = 1002;
inline constexpr int IDC_JOG_1003 = 1003;
inline constexpr int IDC_JOG_1004 = 1004;
inline constexpr int IDC_EXPORT_PLT = 1005;
inline constexpr int IDC_RESET_MACHINE = 1017;
inline constexpr int IDC_TEST_JET = 1018;
inline constexpr int IDC_JOG_1019 = 1019;
inline constexpr int IDC_FIT_PREVIEW = 1020;
inline constexpr int IDC_TOGGLE_RULER = 1021;
inline constexpr int IDC_JOG_1022 = 1022;
inline constexpr int IDC_MACHINE_PREVIEW = 1023;
inline constexpr int IDC_WORK_MODE = 1193;

// A jog button: pressing it with the left mouse button starts the machine selected in the
// machine list moving (key command 128 with the button's value); the end of the hold stops
// that same machine (value 6) once. The hold ends with the release, and also when the button
// can no longer see the release: the mouse taken by a popup or a modal box, the window
// hidden or deactivated, focus lost, the button disabled or destroyed.
// Mouse moves are ignored, so the button stays down while the pointer is off it.
class CMyButton : public QPushButton {
    Q_OBJECT
public:
    CMyButton(int controlId, CDocCorvane& doc, QWidget* parent);
    ~CMyButton() override;

    int ControlId() const { return controlId_; }
    // Whether a jog is held (its stop not yet sent).
    bool IsPressed() const { return jog_.IsPressed(); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    // While a jog is held: watches the application for what takes the release away.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The key of the machine of the machine list's first selected row, if any.
    std::optional<uint32_t> SelectedMachineKey() const;
    // Sends the stop of a held jog (once) and stops watching.
    void StopJog();
    // The hold was lost without a release: stops the jog and shows the button up.
    void LoseHold();

    int controlId_;
    CDocCorvane& doc_;
    JogControl jog_;
};

class CViewCtlPanel : public QScrollArea {
    Q_OBJECT
public:
    CViewCtlPanel(CDocCorvane& doc, QWidget* parent = nullptr);

    // The control of a control id (a button or the work-mode box), or null.
    QWidget* Control(int controlId) const;
    QComboBox* WorkModeBox() const { return workMode_; }
    QSize sizeHint() const override;

private:
    // Gives the box its modes and selects the stored work mode.
    void InitialUpdate();
    // The work mode the operator chose (0 normal, 1 cut only, 2 ink-jet only) is stored for
    // the next job's preparation.
    void OnWorkModeChosen(int index);

    CDocCorvane& doc_;
    QComboBox* workMode_ = nullptr;
};
