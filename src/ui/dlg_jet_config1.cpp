// CDlgJetConfig1: the jet head page and its sketch of the heads.
#include "ui/dlg_jet_config1.h"

#include "platform/critical_section.h"
#include "ui/form_fields.h"
#include "ui/qt_text.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// Room under the sketch's frame for the ticks and dimension lines, pixels.
constexpr int kSketchFootHeight = 24;
constexpr int kSketchHeight = 120;

// The heads drawn as a staircase in a frame, with the dimension lines of their spacings.
class JetHeadSketchView : public QWidget {
public:
    explicit JetHeadSketchView(QWidget* parent) : QWidget(parent) { setMinimumHeight(kSketchHeight); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const JetHeadSketch sketch = LayOutJetHeadSketch(CRect(0, 0, width() - 1, height() - 1 - kSketchFootHeight));
        QPainter painter(this);
        const auto line = [&painter](const SketchLine& l) { painter.drawLine(l.from.x, l.from.y, l.to.x, l.to.y); };
        const auto rect = [&painter](const CRect& r) { painter.drawRect(r.left, r.top, r.Width(), r.Height()); };
        rect(sketch.frame);
        for (int i = 0; i < kJetHeads; ++i) {
            rect(sketch.heads[i]);
            line(sketch.centreLines[i]);
            line(sketch.ticks[i]);
        }
        for (const SketchLine& l : sketch.dimensionLines) line(l);
    }
};

QLineEdit* AddGridEdit(QGridLayout* grid, QWidget* parent, int row, int column, const QString& objectName, const CString& text)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    SetFieldText(edit, text);
    grid->addWidget(edit, row, column);
    return edit;
}

}  // namespace

CDlgJetConfig1::CDlgJetConfig1(CCriticalSection& recordLock, NET_Machine* machine)
    : CPropertyPage(ResText(StringId::kJetHeadPageCaption)), recordLock_(recordLock), machine_(machine)
{
}

void CDlgJetConfig1::OnInitDialog()
{
    flags_ = {};
    {
        CSingleLock guard(&recordLock_, TRUE);
        values_ = LoadJetPage(*machine_);
    }
    auto* layout = new QVBoxLayout(this);
    auto* heads = new QGridLayout();
    layout->addLayout(heads);
    heads->addWidget(new QLabel(ResText(StringId::kJetNozzleStart), this), 1, 0);
    heads->addWidget(new QLabel(ResText(StringId::kJetNozzleEnd), this), 2, 0);
    heads->addWidget(new QLabel(ResText(StringId::kJetHeadSpacing), this), 4, 0);
    for (int i = 0; i < kJetHeads; ++i) {
        heads->addWidget(new QLabel(ResText(StringId::kJetHead).arg(i + 1), this), 0, i + 1);
        nozzleStart_[i] = AddGridEdit(heads, this, 1, i + 1, QStringLiteral("nozzleStart%1").arg(i + 1), FormatInteger(values_.nozzleStart[i]));
        nozzleEnd_[i] = AddGridEdit(heads, this, 2, i + 1, QStringLiteral("nozzleEnd%1").arg(i + 1), FormatInteger(values_.nozzleEnd[i]));
    }
    heads->addWidget(new JetHeadSketchView(this), 3, 1, 1, kJetHeads);
    for (int i = 0; i < kJetHeads - 1; ++i)
        spacings_[i] = AddGridEdit(heads, this, 4, i + 2, QStringLiteral("spacing%1").arg(i + 1), FormatInteger(values_.headSpacingRows[i]));

    auto* form = new QFormLayout();
    layout->addLayout(form);
    stepValue_ = AddEditField(form, ResText(StringId::kJetStepValue), QStringLiteral("stepValue"));
    SetFieldText(stepValue_, FormatNumber(values_.stepValue));
    workingColumn_ = new QComboBox(this);
    workingColumn_->setObjectName(QStringLiteral("workingColumn"));
    for (int column = 0; column < kJetColumnChoices; ++column) workingColumn_->addItem(ResText(StringId::kJetColumns + column));
    workingColumn_->setCurrentIndex(values_.workingColumn);
    form->addRow(ResText(StringId::kJetWorkingColumn), workingColumn_);
    printLineWidth_ = AddEditField(form, ResText(StringId::kJetPrintLineWidth), QStringLiteral("printLineWidth"));
    warmUpLineWidth_ = AddEditField(form, ResText(StringId::kJetWarmUpLineWidth), QStringLiteral("warmUpLineWidth"));
    columnSpacing_ = AddEditField(form, ResText(StringId::kJetColumnSpacing), QStringLiteral("columnSpacing"));
    sheetGap_ = AddEditField(form, ResText(StringId::kJetSheetGap), QStringLiteral("sheetGap"));
    SetFieldText(printLineWidth_, FormatInteger(values_.printLineWidth));
    SetFieldText(warmUpLineWidth_, FormatInteger(values_.warmUpLineWidth));
    SetFieldText(columnSpacing_, FormatInteger(values_.columnSpacingPt));
    SetFieldText(sheetGap_, FormatInteger(values_.sheetGapMm));
}

bool CDlgJetConfig1::OnKillActive()
{
    // Values beyond their field's width are refused instead of keeping their low bits; the
    // step value travels as 16 bits.
    JetPageValues taken = values_;
    FieldReaders fields;
    for (int i = 0; i < kJetHeads; ++i) {
        fields.Integer(nozzleStart_[i], taken.nozzleStart[i]);
        fields.Integer(nozzleEnd_[i], taken.nozzleEnd[i]);
    }
    for (int i = 0; i < kJetHeads - 1; ++i) fields.Integer(spacings_[i], taken.headSpacingRows[i]);
    fields.Number(stepValue_, taken.stepValue, kJetStepValueRange);
    fields.Integer(printLineWidth_, taken.printLineWidth);
    fields.Integer(warmUpLineWidth_, taken.warmUpLineWidth);
    fields.Integer(columnSpacing_, taken.columnSpacingPt);
    fields.Integer(sheetGap_, taken.sheetGapMm);
    if (!fields.ReadAll()) return false;
    taken.workingColumn = workingColumn_->currentIndex();
    values_ = taken;
    return true;
}

void CDlgJetConfig1::OnOK()
{
    CSingleLock guard(&recordLock_, TRUE);
    flags_ = StoreJetPage(*machine_, values_);
}
