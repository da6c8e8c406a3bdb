// The main frame's tool bar and panes, made here so that each view plugs in its own widget.
#pragma once

class CDocCorvane;
class CTrueColorToolBar;
class QMainWindow;
class QWidget;

// The four panes of the frame: the upper row's machine list, job list and control panel, and
// the preview below them.
enum class FramePane { MachineList, JobList, ControlPanel, Graphic };

// Makes the frame's tool bar (flat, its buttons, their pictures and commands, which go to
// the frame); null when it cannot be made, which fails the frame.
CTrueColorToolBar* CreateFrameToolBar(QMainWindow* frame);
// Makes the widget of pane as a child of parent, working on doc; never null.
QWidget* CreateFramePane(FramePane pane, QWidget* parent, CDocCorvane& doc);
