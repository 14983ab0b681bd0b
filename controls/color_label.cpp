#include "controls/color_label.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "controls/link_opener.h"

namespace {
constexpr int kCellHeight = 14;
}

CColorLabel::CColorLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent), m_textColour(palette().color(QPalette::WindowText)),
      m_background(palette().color(QPalette::Button)), m_font(QStringLiteral("Arial")) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_font.setWeight(QFont::Black);
    // The height is that of the whole character cell, so the face itself is somewhat smaller.
    m_font.setPixelSize(kCellHeight);
    const int cell = QFontMetrics(m_font).height();
    if (cell > kCellHeight)
        m_font.setPixelSize(std::max(1, kCellHeight * kCellHeight / cell));
    setFont(m_font);
}

void CColorLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    painter.setFont(m_font);
    painter.setPen(m_textColour);
    painter.drawText(contentsRect(), int(alignment()), text());
}

void CColorLabel::mousePressEvent(QMouseEvent* event) {
    if (!m_clickable || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // As the label offers nothing else, a text that cannot be opened simply does nothing.
    OpenLink(text());
    event->accept();
}
