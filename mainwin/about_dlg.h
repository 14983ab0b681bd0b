#pragma once

#include <string>

#include <QDialog>

class CColorLabel;
class CHyperLinkCtrl;
class Prompts;

// Where the About box's links and the Help menu's "Home page" lead.
struct ProductLinks {
    QString homePage;
    QString support;
};

// HomePage= and Support= of version.ini's [General] section in `programDir`; a missing key gives the bundled
// help page instead: the overview for the home page, the page on reporting a problem for support.
ProductLinks ReadProductLinks(const std::string& programDir);

// The About box: the product's name and version, the home page and support links, the legal notice.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    enum Id { IDD = 100, IDOK = 1, IDC_VERSION = 1046, IDC_HOME_PAGE = 1047, IDC_SUPPORT = 1049 };

    // `prompts` tells the user about a link that cannot be opened.
    CAboutDlg(const QString& programVersion, const ProductLinks& links, Prompts& prompts, QWidget* parent = nullptr);

    QString VersionText() const;

private:
    CColorLabel* m_version = nullptr;
    CHyperLinkCtrl* m_homePage = nullptr;
    CHyperLinkCtrl* m_support = nullptr;
};
