#include "mainwin/help_window.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

CHelpWindow::CHelpWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Quor Zodi Converter Help"));
    setWindowFlag(Qt::WindowMinMaxButtonsHint);
    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(640, 520);
}

bool CHelpWindow::ShowPage(const QString& page) {
    if (!QFileInfo(page).isFile())
        return false;
    m_browser->setSource(QUrl::fromLocalFile(page));
    show();
    raise();
    activateWindow();
    return true;
}

QString CHelpWindow::CurrentPage() const {
    return m_browser->source().toLocalFile();
}

QString CHelpWindow::Title() const {
    return m_browser->documentTitle();
}
