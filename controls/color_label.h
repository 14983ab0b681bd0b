#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

// A static text in a look of its own: a heavy Arial face, 14 pixels from top to bottom of its character cell,
// in the window-text colour on the button-face colour (both as they were when the label was made). Where it
// is made clickable, a left click opens its text as a link; otherwise clicks go on to the window.
class CColorLabel : public QLabel {
    Q_OBJECT
public:
    explicit CColorLabel(const QString& text = QString(), QWidget* parent = nullptr);

    void SetClickable(bool clickable) { m_clickable = clickable; }
    bool IsClickable() const { return m_clickable; }

    QFont LabelFont() const { return m_font; }
    QColor TextColour() const { return m_textColour; }
    QColor BackgroundColour() const { return m_background; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QColor m_textColour;
    QColor m_background;
    QFont m_font;
    bool m_clickable = false;
};
