#include "mainwin/about_dlg.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "controls/dialog_template.h"
#include "controls/skin.h"

namespace {
const char* const kLegalNotice[] = {
    "This program is protected by copyright law and international",
    "treaties. Copying or passing it on, in whole or in part, without",
    "the written permission of its authors is not allowed and may",
    "lead to civil and criminal penalties.",
    "Copyright (c) 2026 the Quor Zodi Converter developers.",
};

QLabel* LinkLabel(QDialog* dialog, const QString& text, const char* url, int id) {
    // Plain links for now; they open the address in the browser.
    auto* label = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>").arg(QLatin1String(url), text), dialog);
    label->setOpenExternalLinks(true);
    label->setToolTip(QLatin1String(url));
    SetControlId(label, id);
    return label;
}
} // namespace

CAboutDlg::CAboutDlg(const QString& programVersion, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Quor Zodi Converter"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    setFont(font);
    setFixedSize(DialogUnitsToPixels(this, QRect(0, 0, 230, 146)).size());

    auto* icon = new QLabel(this);
    const QRect iconRect = DialogUnitsToPixels(this, QRect(4, 7, 20, 20));
    icon->setPixmap(QIcon(QStringLiteral(":/icons/128.png")).pixmap(iconRect.size().boundedTo(QSize(32, 32))));
    icon->setGeometry(iconRect);

    m_version = new QLabel(QStringLiteral("Quor Zodi Converter 1.0"), this);
    m_version->setTextFormat(Qt::PlainText);
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

    QLabel* homePage = LinkLabel(this, QStringLiteral("Home page"), kHomePageUrl, IDC_HOME_PAGE);
    PlaceInDialogUnits(this, homePage, 85, 34, 38, 8);
    QLabel* support = LinkLabel(this, QStringLiteral("Technical support"), kSupportUrl, IDC_SUPPORT);
    PlaceInDialogUnits(this, support, 85, 55, 57, 8);

    int y = 103;
    for (const char* line : kLegalNotice) {
        auto* text = new QLabel(QString::fromLatin1(line), this);
        PlaceInDialogUnits(this, text, 9, y, 210, 8);
        y += 7;
    }

    // Initialisation: the version, then the links keep their own look.
    m_version->setText(QStringLiteral("Quor Zodi Converter %1").arg(programVersion));
    Skin::RemoveWindowSkin(homePage);
    Skin::RemoveWindowSkin(support);
    // This font runs wider than the template's: a link is never cut short.
    homePage->adjustSize();
    support->adjustSize();
}

QString CAboutDlg::VersionText() const {
    return m_version->text();
}
