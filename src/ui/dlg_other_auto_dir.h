// CDlgOtherAutoDir: "其他自动目录", the document's four extra auto and merge directories and
// their scales.
#pragma once

#include <QDialog>

class CDocCorvane;
class QLineEdit;

class CDlgOtherAutoDir : public QDialog {
    Q_OBJECT
public:
    static constexpr int kConfigurations = 4;

    explicit CDlgOtherAutoDir(CDocCorvane& doc, QWidget* parent = nullptr);

    // Runs the dialog modally; IDOK when it closed through OK.
    int DoModal();
    // Copies the fields into the document and saves them; stays open after a scale's message.
    void OnOK();

private:
    struct Configuration {
        QLineEdit* autoDirectory;
        QLineEdit* xScale;
        QLineEdit* mergeDirectory;
        QLineEdit* yScale;
        QString xScaleShown;
        QString yScaleShown;
    };

    CDocCorvane& doc_;
    Configuration configurations_[kConfigurations];
};
