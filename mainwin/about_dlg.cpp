#include "mainwin/about_dlg.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "controls/color_label.h"
#include "controls/dialog_template.h"
#include "controls/hyperlink_ctrl.h"
#include "controls/skin.h"
#include "settings/ini_file.h"

namespace {
const char* const kLegalNotice[] = {
    "This program is protected by copyright law and international",
    "treaties. Copying or passing it on, in whole or in part, without",
    "the written permission of its authors is not allowed and may",
    "lead to civil and criminal penalties.",
    "Copyright (c) 2026 the Quor Zodi Converter developers.",
};

} // namespace

ProductLinks ReadProductLinks(const std::string& programDir) {
    const IniFile version = IniFile::Load(programDir + "version.ini");
    // An empty value counts as missing: it would leave the link with nowhere to go.
    const auto link = [&](const char* key, const char* page) {
        const std::string value = version.Get("General", key, "");
        return QString::fromStdString(value.empty() ? programDir + "help/overview/" + page : value);
    };
    return {link("HomePage", "overview.htm"), link("Support", "reporting-problems.htm")};
}

CAboutDlg::CAboutDlg(const QString& programVersion, const ProductLinks& links, Prompts& prompts, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Quor Zodi Converter"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    setFont(font);
    setFixedSize(DialogUnitsToPixels(this, QRect(0, 0, 230, 146)).size());

    auto* icon = new QLabel(this);
    const QRect iconRect = DialogUnitsToPixels(this, QRect(4, 7, 20, 20));
    icon->setPixmap(QIcon(QStringLiteral(":/icons/128.png")).pixmap(iconRect.size().boundedTo(QSize(32, 32))));
    icon->setGeometry(iconRect);

    m_version = new CColorLabel(QStringLiteral("Quor Zodi Converter 1.0"), this);
    SetControlId(m_version, IDC_VERSION);
    PlaceInDialogUnits(this, m_version, 30, 12, 145, 8);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    SetControlId(ok, IDOK);
    ok->setDefault(true);
    PlaceInDialogUnits(this, ok, 184, 9, 33, 12);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    for (int y : {28, 98}) {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        PlaceInDialogUnits(this, line, 9, y, 207, 1);
    }

    m_homePage = new CHyperLinkCtrl(QStringLiteral("Home page"), prompts, this);
    SetControlId(m_homePage, IDC_HOME_PAGE);
    PlaceInDialogUnits(this, m_homePage, 85, 34, 38, 8);
    m_support = new CHyperLinkCtrl(QStringLiteral("Technical support"), prompts, this);
    SetControlId(m_support, IDC_SUPPORT);
    PlaceInDialogUnits(this, m_support, 85, 55, 57, 8);

    int y = 103;
    for (const char* line : kLegalNotice) {
        auto* text = new QLabel(QString::fromLatin1(line), this);
        PlaceInDialogUnits(this, text, 9, y, 210, 8);
        y += 7;
    }

    // Initialisation: the version, then the links keep their own look.
    m_version->setText(QStringLiteral("Quor Zodi Converter %1").arg(programVersion));
    // Sizing each link to its text also keeps it whole in fonts wider than the template's.
    m_homePage->SetURL(links.homePage);
    m_homePage->SetUnderline(CHyperLinkCtrl::UNDERLINE_ALWAYS);
    m_support->SetURL(links.support);
    m_support->SetUnderline(CHyperLinkCtrl::UNDERLINE_ALWAYS);
    Skin::RemoveWindowSkin(m_homePage);
    Skin::RemoveWindowSkin(m_support);
}

QString CAboutDlg::VersionText() const {
    return m_version->text();
}
