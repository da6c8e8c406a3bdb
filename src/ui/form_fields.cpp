// Labelled edit fields of the settings dialogs and the field exchange over them.
#include "ui/form_fields.h"

#include "ui/qt_text.h"
#include "ui/tool_offset_values.h"

#include <QFormLayout>

QLineEdit* AddEditField(QFormLayout* form, const QString& label, const QString& objectName)
{
    auto* edit = new QLineEdit(form->parentWidget());
    edit->setObjectName(objectName);
    form->addRow(label, edit);
    return edit;
}

CString FieldText(const QLineEdit* edit) { return ToCString(edit->text()); }

void SetFieldText(QLineEdit* edit, const CString& text) { edit->setText(ToQString(text)); }

void FieldReaders::Number(QLineEdit* edit, float& value)
{
    Add(edit, [edit, &value] { return ReadNumberField(FieldText(edit), value); });
}

void FieldReaders::Number(QLineEdit* edit, float& value, NumberRange range)
{
    Add(edit, [edit, &value, range] { return ReadNumberField(FieldText(edit), value, range); });
}

void FieldReaders::Number(QLineEdit* edit, double& value, NumberRange range)
{
    Add(edit, [edit, &value, range] { return ReadNumberField(FieldText(edit), value, range); });
}

void FieldReaders::Thousandths(QLineEdit* edit, uint16_t& value)
{
    Add(edit, [edit, &value] { return ReadFixedPointField(FieldText(edit), kExtensionDecimals, value); });
}

bool FieldReaders::ReadAll() const
{
    for (const Reader& reader : readers_) {
        if (reader.read()) continue;
        reader.edit->setFocus();
        return false;
    }
    return true;
}
