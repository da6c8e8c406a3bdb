// CAboutDlg: the About box (dialog 231): the program's name, its version and the notice of the
// fonts the program directory ships.
#pragma once

#include <QDialog>

inline constexpr int kAboutDialogId = 231;
// The notice that goes with the font files the build makes, in the program directory.
inline constexpr const char* kFontNoticeFileName = "hershey-fonts-acknowledgement.txt";

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
