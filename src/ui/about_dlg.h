// CAboutDlg: the About box (dialog 231): the program's name, its version and the notices of
// the fonts the program directory ships.
#pragma once

#include <QDialog>

inline constexpr int kAboutDialogId = 231;
// The notices that go with the font files the build makes, in the program directory: the
// Hershey fonts' and the Chinese outline font's.
inline constexpr const char* kFontNoticeFileNames[] = {"hershey-fonts-acknowledgement.txt", "chinese-font-licence.txt"};

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
