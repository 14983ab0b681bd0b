#include "controls/hyperlink_ctrl.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include "controls/link_opener.h"

CHyperLinkCtrl::CHyperLinkCtrl(const QString& text, Prompts& prompts, QWidget* parent)
    : QLabel(text, parent), m_prompts(prompts), m_url(text) {
    setTextFormat(Qt::PlainText);
    // Placed like a dialog's plain static text: from the top left corner.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setCursor(Qt::PointingHandCursor);
    setToolTip(m_url);
}

void CHyperLinkCtrl::SetURL(const QString& url) {
    m_url = url;
    FitToText();
    setToolTip(m_url);
}

void CHyperLinkCtrl::SetUnderline(UnderlineMode mode) {
    if (mode == m_underline)
        return;
    m_underline = mode;
    update();
}

void CHyperLinkCtrl::SetVisited(bool visited) {
    m_visited = visited;
    update();
}

void CHyperLinkCtrl::SetColours(const QColor& link, const QColor& visited, const QColor& hover) {
    m_linkColour = link;
    m_visitedColour = visited;
    m_hoverColour = hover;
    update();
}

QFont CHyperLinkCtrl::UnderlinedFont() const {
    QFont f = font();
    f.setUnderline(true);
    return f;
}

void CHyperLinkCtrl::FitToText() {
    if (!m_fitToText)
        return;
    m_fitted = true;
    const QSize text = QFontMetrics(UnderlinedFont()).size(Qt::TextSingleLine, this->text());
    const QMargins frame = contentsMargins();
    const QSize needed(text.width() + frame.left() + frame.right(), text.height() + frame.top() + frame.bottom());
    QRect r = geometry();
    const Qt::Alignment align = alignment();
    if (align & Qt::AlignVCenter)
        r.adjust(0, (r.height() - needed.height()) / 2, 0, -(r.height() - needed.height()) / 2);
    else
        r.setHeight(needed.height());
    if (align & Qt::AlignHCenter)
        r.adjust((r.width() - needed.width()) / 2, 0, -(r.width() - needed.width()) / 2, 0);
    else if (align & Qt::AlignRight)
        r.setLeft(r.right() + 1 - needed.width());
    else
        r.setWidth(needed.width());
    setGeometry(r);
}

void CHyperLinkCtrl::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_fitted)
        FitToText();
}

QColor CHyperLinkCtrl::TextColour() const {
    return m_over ? m_hoverColour : m_visited ? m_visitedColour : m_linkColour;
}

bool CHyperLinkCtrl::IsUnderlined() const {
    return m_underline == UNDERLINE_ALWAYS || (m_underline == UNDERLINE_HOVER && m_over);
}

void CHyperLinkCtrl::paintEvent(QPaintEvent*) {
    // No background of its own: the dialog shows through.
    QPainter painter(this);
    painter.setFont(IsUnderlined() ? UnderlinedFont() : font());
    painter.setPen(TextColour());
    painter.drawText(contentsRect(), int(alignment()), text());
}

void CHyperLinkCtrl::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    m_over = true;
    update();
}

void CHyperLinkCtrl::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    m_over = false;
    update();
}

void CHyperLinkCtrl::mousePressEvent(QMouseEvent* event) {
    // Taken here, so that the release comes back to this control.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void CHyperLinkCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        OnClicked();
}

void CHyperLinkCtrl::OnClicked() {
    m_over = false;
    const int result = OpenLink(m_url);
    if (result > 32) {
        SetVisited(true);
        return;
    }
    update();
    ReportLinkError(m_prompts, window(), result);
}
