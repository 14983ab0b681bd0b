#pragma once

#include <QDialog>

class QLabel;

// The About box: the product's name and version, the home page and support addresses, the legal notice.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    enum Id { IDD = 100, IDOK = 1, IDC_VERSION = 1046, IDC_HOME_PAGE = 1047, IDC_SUPPORT = 1049 };

    CAboutDlg(const QString& programVersion, QWidget* parent = nullptr);

    QString VersionText() const;

private:
    QLabel* m_version = nullptr;
};

// The product's web addresses.
inline constexpr const char* kHomePageUrl = "https://quor-zodi.example/";
inline constexpr const char* kSupportUrl = "https://quor-zodi.example/support/";
