// The preview view as the document sees it: the job it shows, repainting, fitting and the cut
// progress. The preview view implements it; tests use a fake.
#pragma once

class CPrintTask;

class PreviewPort {
public:
    virtual ~PreviewPort() = default;

    // The job the preview shows, or null.
    virtual CPrintTask* GetShownJob() const = 0;
    // Shows job; the view's mode is reset when it showed another job.
    virtual void ShowJob(CPrintTask* job) = 0;
    // Shows no job (the shown one is going away).
    virtual void ClearShownJob() = 0;
    // Repaints the preview.
    virtual void Invalidate() = 0;
    // Scales and centres the shown job to fill the window.
    virtual void FitJobToView() = 0;
    // Draws the cut progress of the shown job from oldPercent to newPercent.
    virtual void DrawCutProgress(double oldPercent, double newPercent) = 0;
    // Shows or hides the ruler.
    virtual void ToggleRuler() = 0;
};
