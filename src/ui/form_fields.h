// Labelled edit fields of the settings dialogs and the field exchange over them.
#pragma once

#include "platform/cstring.h"
#include "ui/field_values.h"

#include <QLineEdit>
#include <QString>

#include <functional>
#include <vector>

class QFormLayout;

// Adds a labelled edit named objectName to form.
QLineEdit* AddEditField(QFormLayout* form, const QString& label, const QString& objectName);

// The text of an edit as the field exchange reads it.
CString FieldText(const QLineEdit* edit);
// Shows text in an edit.
void SetFieldText(QLineEdit* edit, const CString& text);

// The field exchange of one OK: each edit read into its value in turn; the first that fails
// shows its message and takes the focus.
class FieldReaders {
public:
    template <std::integral T>
    void Integer(QLineEdit* edit, T& value, IntegerRange range = RangeOf<T>())
    {
        Add(edit, [edit, &value, range] { return ReadIntegerField(FieldText(edit), value, range); });
    }
    void Number(QLineEdit* edit, float& value);
    void Number(QLineEdit* edit, float& value, NumberRange range);
    void Number(QLineEdit* edit, double& value, NumberRange range);
    // A fixed-point field of thousandths.
    void Thousandths(QLineEdit* edit, uint16_t& value);

    // Reads every field in order; false at the first that fails.
    bool ReadAll() const;

private:
    void Add(QLineEdit* edit, std::function<bool()> read) { readers_.push_back({edit, std::move(read)}); }

    struct Reader {
        QLineEdit* edit;
        std::function<bool()> read;
    };
    std::vector<Reader> readers_;
};
