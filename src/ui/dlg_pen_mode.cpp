// The pen-mode dialog: no OK or Cancel, each edit takes effect at once; closing ends it.
#include "ui/dlg_pen_mode.h"

#include "ui/job_dialog_values.h"
#include "ui/job_dialog_widgets.h"
#include "ui/qt_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// A mode label leaves room right of its text for the 20-pixel swatch 28 pixels in.
constexpr int kModeLabelWidthPx = 52;
// The pen lists stand in two columns of six.
constexpr int kPenRowsPerColumn = 6;

// A list holding the six modes, showing index.
QComboBox* ModeList(QWidget* parent, const QString& objectName, int index)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(objectName);
    for (int mode = 0; mode < kPenModeCount; ++mode) list->addItem(ToQString(PenModeName(mode)));
    list->setCurrentIndex(index);
    return list;
}

}  // namespace

CDlgPenMode::CDlgPenMode(const PenModeSettings& settings, QWidget* parent) : QDialog(parent), m_penMode(settings)
{
    setWindowTitle(ResText(StringId::kPenModeCaption));
    auto* layout = new QVBoxLayout(this);

    auto* pens = new QGroupBox(ResText(StringId::kPenModeMappingGroup), this);
    auto* penGrid = new QGridLayout(pens);
    for (int pen = 0; pen < kPenModePenCount; ++pen) {
        m_penMode.penRole[pen] = static_cast<uint8_t>(PenModeIndex(m_penMode.penRole[pen]));
        QComboBox* list = ModeList(pens, QStringLiteral("pen%1").arg(pen), m_penMode.penRole[pen]);
        const int row = pen % kPenRowsPerColumn;
        const int column = 2 * (pen / kPenRowsPerColumn);
        penGrid->addWidget(new QLabel(ResText(StringId::kPenModePen).arg(pen), pens), row, column);
        penGrid->addLayout(RowWithSwatchRoom(list), row, column + 1);
        connect(list, &QComboBox::currentIndexChanged, this, [this, pen](int index) {
            if (index < 0) return;
            m_penMode.penRole[pen] = static_cast<uint8_t>(index);
            m_bChanged = true;
        });
        penLists_[static_cast<size_t>(pen)] = list;
    }
    layout->addWidget(pens);

    auto* modes = new QGroupBox(ResText(StringId::kPenModeNormalGroup), this);
    auto* modesLayout = new QVBoxLayout(modes);
    auto* labelRow = new QHBoxLayout();
    for (int mode = 0; mode < kPenModeRoleCount; ++mode) {
        auto* label = new QLabel(ToQString(PenModeName(mode)), modes);
        label->setObjectName(QStringLiteral("mode%1").arg(mode));
        label->setFixedWidth(ModeLabelWidth(label->fontMetrics().horizontalAdvance(label->text()), kModeLabelWidthPx));
        labelRow->addWidget(label);
        modeLabels_[static_cast<size_t>(mode)] = label;
    }
    labelRow->addStretch(1);
    modesLayout->addLayout(labelRow);
    auto* contourRow = new QHBoxLayout();
    contourRow->addWidget(new QLabel(ResText(StringId::kPenModeContourRole), modes));
    m_penMode.contourRole = static_cast<uint8_t>(ContourModeIndex(m_penMode.contourRole));
    QComboBox* contourList = ModeList(modes, QStringLiteral("contourMode"), m_penMode.contourRole);
    contourRow->addWidget(contourList, 1);
    modesLayout->addLayout(contourRow);
    connect(contourList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        m_penMode.contourRole = static_cast<uint8_t>(index);
        m_bChanged = true;
    });
    layout->addWidget(modes);

    auto* recognise = new QCheckBox(ResText(StringId::kPenModeRecogniseOnOpen), this);
    recognise->setObjectName(QStringLiteral("recogniseOnOpen"));
    recognise->setChecked(m_penMode.recogniseOnOpen != 0);
    connect(recognise, &QCheckBox::toggled, this, [this](bool checked) {
        m_penMode.recogniseOnOpen = checked ? 1 : 0;
        m_bChanged = true;
    });
    layout->addWidget(recognise);

    new SwatchLayer(*this, [this](QPainter& painter) { PaintSwatches(painter); });
    m_bChanged = false;
}

// Paints each pen's colour left of its list and each mode's colour beside its label.
void CDlgPenMode::PaintSwatches(QPainter& painter) const
{
    for (int pen = 0; pen < kPenModePenCount; ++pen)
        PaintSwatch(painter, SwatchLeftOf(RectInDialog(*this, *penLists_[static_cast<size_t>(pen)])), m_penMode.penColor[pen]);
    for (int mode = 0; mode < kPenModeRoleCount; ++mode) {
        const QLabel* label = modeLabels_[static_cast<size_t>(mode)];
        PaintSwatch(painter, SwatchOfModeLabel(RectInDialog(*this, *label), label->fontMetrics().horizontalAdvance(label->text())),
                    m_penMode.roleColor[mode]);
    }
}

bool RunPenModeDialog(PenModeSettings& settings, QWidget* parent)
{
    CDlgPenMode dialog(settings, parent);
    dialog.exec();
    if (!dialog.m_bChanged) return false;
    settings = dialog.m_penMode;
    return true;
}
