// CViewGraphic: the preview pane's view (the shown job with its frame, ruler and progress line,
// zooming, panning, picking and editing the shapes), and CWndGraphic, the pane's container.
//
// The view paints into a picture of its client size whenever it is invalidated and copies
// the picture on every paint event; drawing outside a paint (the rubber band, the cut
// progress, the hover highlight) goes onto the picture, which is then shown again.
#pragma once

#include "app/preview_port.h"
#include "platform/cwnd.h"
#include "plotmodel/ol_selection.h"
#include "ui/command_target.h"
#include "ui/preview_geometry.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>

class CDC;
class CDocCorvane;
class NET_Machine;
class PlotShape;
class PlotShapeCutList;
class QToolBar;

class CViewGraphic : public QWidget, public CWnd, public PreviewPort, public CommandTarget {
    Q_OBJECT
public:
    // The view's object name, by which the frame finds it inside the pane.
    static constexpr const char* kObjectName = "GraphicView";

    // A view of doc's jobs; it is the document's preview port until it is destroyed.
    explicit CViewGraphic(CDocCorvane& doc, QWidget* parent = nullptr);
    ~CViewGraphic() override;

    // ---- PreviewPort ----
    CPrintTask* GetShownJob() const override { return shown_; }
    // Shows job; another job than the shown one resets the mode and is fitted to the window
    // (at once when it is loaded, else at the first paint after it is).
    void ShowJob(CPrintTask* job) override;
    void ClearShownJob() override;
    void Invalidate() override;
    void FitJobToView() override;
    // Moves the progress line of the swapped shown job from oldPercent to newPercent on the
    // picture, redrawing the shapes the old line crossed.
    void DrawCutProgress(double oldPercent, double newPercent) override;
    void ToggleRuler() override;

    // ---- CommandTarget: the view's own tool bar and the main tool bars' preview commands ----
    bool OnCommand(int id) override;
    std::optional<CommandButtonState> CommandState(int id) const override;

    // Highlights the hovered hit of a point-selection menu.
    void OnMenuSelect(UINT id) override;

    // Paints the shown job as the picture shows it, on dc (no window origin applied).
    void OnDraw(CDC& dc) const;

    const PreviewMapping& GetMapping() const { return mapping_; }
    void SetMapping(const PreviewMapping& mapping);
    int GetMode() const { return mode_; }
    bool IsMoveArmed() const { return moveArmed_; }
    bool IsRulerShown() const { return ruler_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // What names the shown job across a nested loop (menu, dialog): its load and its list.
    struct ShownJobKey {
        uint32_t jobRef = 0;
        const PlotShapeCutList* list = nullptr;
    };
    ShownJobKey KeyOfShownJob() const;
    // The shown job when it is still the listed job of key with the same list, else null.
    CPrintTask* ShownJobOf(const ShownJobKey& key) const;

    // The list drawn: the job slot of the shown job (the prepared list while swapped).
    PlotShapeCutList* ShownList() const;
    // The loaded list when it is the one shown (not swapped), else null.
    PlotShapeCutList* EditableList() const;
    double BoxHeight() const;
    // Fits the mapping to the shown loaded job; false (nothing changed) without one or without
    // a client area.
    bool FitMapping();
    // The render context of the view's mapping on dc.
    structRender RenderContextOn(CDC& dc) const;
    void ZoomAtPoint(double factor, QPoint point);
    // Renders the picture when it is stale or no longer the client's size.
    void UpdatePicture();
    // Draws on the picture outside a paint, then shows it.
    void DrawOnPicture(const std::function<void(CDC&)>& draw);
    // Inverts the rubber band's outline on the picture.
    void InvertRubberBand(const QRect& band);
    // Hands the view's mapping to the picking, which forgets its hits.
    void ResetPicking();
    void SetMode(int mode);

    void OnLeftButtonUp(QPoint point);
    void SelectAt(QPoint start, QPoint end);
    void MoveSelection(QPoint from, QPoint to);
    void OnRightButtonDown();
    void SetSelectionMau(unsigned char mau);
    void EditSelectionPen();
    void DeleteSelection();
    void OnCharacter(char16_t c);
    void RotateShownJob();
    void SwapShownLists();
    void ChangePensInBatch();
    void RecogniseContours();
    // The selected machine, else the checked one, else null.
    NET_Machine* DialogMachine() const;
    // Refreshes column (-1: all) of the shown job's row.
    void RefreshShownRow(int column);

    CDocCorvane& doc_;
    CPrintTask* shown_ = nullptr;
    PreviewMapping mapping_;
    int mode_ = kModePan;
    bool moveArmed_ = false;
    bool dragging_ = false;
    QPoint dragStart_;
    QPoint dragCurrent_;
    bool ruler_ = false;
    OL_Selection picking_;
    // The key of the shown job while a point-selection menu is open.
    ShownJobKey menuKey_;
    bool fitPending_ = false;
    QImage picture_;
    bool pictureStale_ = true;
    // The rubber band on the picture, if one is drawn.
    bool bandShown_ = false;
    QRect band_;
};

// The pane that holds a child view and, optionally, a tool bar above it.
class CWndGraphic : public QWidget, public CWnd {
    Q_OBJECT
public:
    using ChildFactory = std::function<QWidget*(QWidget* parent)>;
    // Makes the tool bar for child (its commands go to the child); may return null.
    using ToolBarFactory = std::function<QToolBar*(QWidget* parent, QWidget* child)>;

    explicit CWndGraphic(QWidget* parent = nullptr);

    // Makes the child with makeChild and, when makeToolBar is given, the tool bar at the top;
    // the child fills the rest. False when the child cannot be made or one exists.
    bool CreateChild(const ChildFactory& makeChild, const ToolBarFactory& makeToolBar = {});
    QWidget* GetChild() const { return child_; }
    QToolBar* GetToolBar() const { return toolBar_; }

private:
    QWidget* child_ = nullptr;
    QToolBar* toolBar_ = nullptr;
};
