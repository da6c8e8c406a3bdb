// CDlgModifyCurveSPIndex and CDlgModifyCurveSPIndexBatch: "修改选择线条属性", the SP number
// given to the selected curves, and the batch form (source SP numbers, one target).
#pragma once

#include "ui/job_dialog_values.h"
#include "ui/job_dialog_widgets.h"
#include "ui/view_dialogs.h"

#include <QDialog>

#include <array>
#include <optional>

class QAbstractButton;
class QBoxLayout;
class QButtonGroup;
class QComboBox;

// The part both share: eight SP buttons named after the machine's tools (roles; plain "SP%d"
// without), each beside a swatch in its pen colour (none without colours).
class SpButtonsDialog : public QDialog {
    Q_OBJECT
protected:
    SpButtonsDialog(const std::optional<SpRoles>& roles, const std::optional<SpSwatchColours>& colours, QWidget* parent);

    // Adds the eight SP buttons, of type Button and named "sp1".."sp8", to layout.
    template <class Button>
    void AddSpButtons(QBoxLayout* layout);

    // Puts the layer of the swatches over the controls; call once they are all made.
    void AddSwatchLayer();

    std::optional<SpRoles> roles_;
    std::optional<SpSwatchColours> colours_;
    std::array<QAbstractButton*, kSpCount> spButtons_{};
};

class CDlgModifyCurveSPIndex : public SpButtonsDialog {
    Q_OBJECT
public:
    // Opens with SP number sp chosen (1..8, anything else SP1).
    CDlgModifyCurveSPIndex(int sp, const std::optional<SpRoles>& roles, const std::optional<SpSwatchColours>& colours,
                           QWidget* parent = nullptr);

    // After OK: the SP number chosen, 1..8.
    int m_nSP;

private:
    QButtonGroup* group_;
};

class CDlgModifyCurveSPIndexBatch : public SpButtonsDialog {
    Q_OBJECT
public:
    CDlgModifyCurveSPIndexBatch(const std::optional<SpRoles>& roles, const std::optional<SpSwatchColours>& colours,
                                QWidget* parent = nullptr);

    // After OK: the SP numbers ticked as sources and the target list index 0..7.
    BatchSpChoice m_choice;

private:
    QComboBox* targetList_;
};
