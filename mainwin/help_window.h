#pragma once

#include <QDialog>

class QTextBrowser;

// A small window that shows the program's HTML help pages.
class CHelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // Shows `page` (an .htm file); false when the page does not exist.
    bool ShowPage(const QString& page);
    QString CurrentPage() const;
    QString Title() const;

private:
    QTextBrowser* m_browser = nullptr;
};
