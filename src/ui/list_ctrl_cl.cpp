// CListCtrlCl and CItemEditEx: the parameter table and its in-place value editor.
#include "ui/list_ctrl_cl.h"

#include "ui/header_ctrl_cl.h"
#include "ui/param_record.h"
#include "ui/qt_colour.h"
#include "ui/qt_text.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyledItemDelegate>

namespace {

constexpr int kDefaultFontHeight = 15;
// The editor leaves this much of the cell's right end uncovered, pixels.
constexpr int kEditorRightGap = 16;
// Cell text starts this far inside the cell; the first column's starts further left.
constexpr int kTextInset = 1;
constexpr int kFirstColumnShift = 2;

bool EndsEdit(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Escape || key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

// Draws the cells as the list's owner drawing does and makes the value column's editor.
class ListCellDelegate : public QStyledItemDelegate {
public:
    explicit ListCellDelegate(CListCtrlCl* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index == list_->EditedCell()) {
            painter->fillRect(option.rect, Qt::white);
            return;
        }
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const QPalette& palette = list_->palette();
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        painter->setPen(selected ? palette.highlightedText().color() : ToQColor(list_->GetTextColor()));
        painter->setFont(list_->font());
        QRect text = option.rect.adjusted(kTextInset, 0, -kTextInset, 0);
        if (index.column() == 0) text.translate(-kFirstColumnShift, 0);
        const Qt::Alignment alignment = ColumnAlignment(list_->Alignment(), index.column());
        painter->drawText(text, (alignment | Qt::AlignVCenter).toInt(), index.data().toString());
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        if (index.column() != CListCtrlCl::kValueColumn) return nullptr;
        auto* editor = new CItemEditEx(parent);
        editor->setFont(list_->font());
        list_->SetEditedCell(index);
        ListCellDelegate* self = const_cast<ListCellDelegate*>(this);
        connect(editor, &CItemEditEx::EditEnded, self, [self, editor] {
            emit self->commitData(editor);
            self->list_->SetEditedCell(QModelIndex());
            emit self->closeEditor(editor, QAbstractItemDelegate::NoHint);
        });
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* edit = static_cast<CItemEditEx*>(editor);
        edit->setText(index.data().toString());
        edit->end(false);
    }

    // Parses the text into the row's record and shows the record's value: a value the record
    // refuses leaves both as they were.
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        const QString text = static_cast<CItemEditEx*>(editor)->text();
        ParamRecord* record = list_->GetItemData(index.row());
        if (record == nullptr) {
            model->setData(index, text);
            return;
        }
        ParseParamValue(*record, ToCString(text));
        model->setData(index, ToQString(FormatParamValue(*record)));
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        QRect rect = option.rect;
        rect.setRight(rect.right() - kEditorRightGap);
        const int height = editor->fontMetrics().height();
        rect.setTop(rect.top() + (rect.height() - height) / 2);
        rect.setHeight(height);
        editor->setGeometry(rect);
    }

protected:
    // Focus loss and the keys that end the edit are the editor's own.
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut) return false;
        if (event->type() == QEvent::KeyPress && EndsEdit(static_cast<const QKeyEvent&>(*event))) return false;
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    CListCtrlCl* list_;
};

}  // namespace

CItemEditEx::CItemEditEx(QWidget* parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("itemEdit"));
    setFrame(false);
}

void CItemEditEx::EndEdit()
{
    if (ended_) return;
    ended_ = true;
    emit EditEnded();
}

void CItemEditEx::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    EndEdit();
}

// Escape keeps the typed text: it ends the edit as a focus change does.
void CItemEditEx::keyPressEvent(QKeyEvent* event)
{
    if (EndsEdit(*event)) {
        event->accept();
        EndEdit();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

CListCtrlCl::CListCtrlCl(QWidget* parent)
    : QTableView(parent), model_(new QStandardItemModel(this)), header_(new CHeaderCtrlCl(this))
{
    setModel(model_);
    setHorizontalHeader(header_);
    setItemDelegate(new ListCellDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(QAbstractItemView::DoubleClicked);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setFrameShadow(QFrame::Sunken);
    SetFontHeight(kDefaultFontHeight);
}

void CListCtrlCl::SetRowHeight(int pixels)
{
    if (pixels > 0) verticalHeader()->setDefaultSectionSize(pixels);
}

void CListCtrlCl::SetFontHeight(int pixels)
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(pixels);
    setFont(font);
}

void CListCtrlCl::InsertColumn(int column, const QString& title, Qt::Alignment alignment, int width)
{
    model_->insertColumn(column);
    model_->setHeaderData(column, Qt::Horizontal, title);
    const QChar code = alignment.testFlag(Qt::AlignHCenter) ? u'1' : alignment.testFlag(Qt::AlignRight) ? u'2' : u'0';
    alignment_.insert(column, code);
    header_->SetAlignment(alignment_);
    setColumnWidth(column, width);
}

void CListCtrlCl::InsertItem(int row, const QString& text)
{
    QList<QStandardItem*> cells;
    for (int column = 0; column < model_->columnCount(); ++column) {
        auto* cell = new QStandardItem();
        if (column != kValueColumn) cell->setFlags(cell->flags() & ~Qt::ItemIsEditable);
        cells.append(cell);
    }
    model_->insertRow(row, cells);
    SetItemText(row, 0, text);
}

void CListCtrlCl::SetItemText(int row, int column, const QString& text) { model_->setData(model_->index(row, column), text); }

QString CListCtrlCl::GetItemText(int row, int column) const { return model_->index(row, column).data().toString(); }

void CListCtrlCl::SetItemData(int row, ParamRecord* record)
{
    model_->setData(model_->index(row, 0), QVariant::fromValue(static_cast<void*>(record)), Qt::UserRole);
}

ParamRecord* CListCtrlCl::GetItemData(int row) const
{
    return static_cast<ParamRecord*>(model_->index(row, 0).data(Qt::UserRole).value<void*>());
}

int CListCtrlCl::GetItemCount() const { return model_->rowCount(); }

void CListCtrlCl::EndEdit()
{
    if (!editedCell_.isValid()) return;
    if (auto* editor = qobject_cast<CItemEditEx*>(indexWidget(editedCell_))) editor->EndEdit();
}

void CListCtrlCl::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    const int row = indexAt(event->position().toPoint()).row();
    QMetaObject::invokeMethod(this, [this, row] { emit ListCtrlClick(row); }, Qt::QueuedConnection);
}
