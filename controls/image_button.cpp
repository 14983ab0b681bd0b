#include "controls/image_button.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {

// A one-pixel frame: `topLeft` along the top and left edges, `bottomRight` along the bottom and right edges
// (which own the two far corners).
void Draw3dRect(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
}

// Where the image stands in `face`; shrinks `captionArea` to what the image leaves when there is a caption.
QRect PlaceImage(const QRect& face, const QSize& size, const ImageButtonFace& s, bool hasCaption, QRect* captionArea) {
    const int w = size.width(), h = size.height();
    const int centreX = face.left() + (face.width() - w) / 2;
    const int centreY = face.top() + (face.height() - h) / 2;
    switch (s.alignment) {
    case CImageButton::ALIGN_LEFT:
        if (!hasCaption)
            return {centreX, centreY, w, h};
        captionArea->setLeft(captionArea->left() + s.margin.x() + w);
        return {face.left() + s.margin.x(), centreY, w, h};
    case CImageButton::ALIGN_TOP:
        if (!hasCaption)
            return {centreX, centreY, w, h};
        captionArea->setTop(captionArea->top() + h);
        return {centreX, face.top() + s.margin.y(), w, h};
    case CImageButton::ALIGN_RIGHT:
        if (!hasCaption)
            return {centreX, face.top(), w, h};
        captionArea->setLeft(face.left() + s.margin.x());
        captionArea->setRight(captionArea->right() - (s.margin.x() + w));
        return {face.left() + face.width() - s.margin.x() - w, centreY, w, h};
    default:
        return face;
    }
}

} // namespace

void DrawImageButton(QPainter& p, const QRect& face, const ImageButtonFace& s) {
    const ImageButtonFace::Colours& colours = (s.hover || s.pressed) ? s.lit : s.focused ? s.focus : s.rest;

    if (s.transparent && !s.background.isNull())
        p.drawPixmap(face.topLeft(), s.background);
    else
        p.fillRect(face, colours.background);

    if (s.pressed)
        Draw3dRect(p, face, s.shadow, s.light);
    else if (s.hover)
        Draw3dRect(p, face, s.light, s.shadow);

    const bool hasCaption = !s.caption.isEmpty();
    QRect captionArea = face;
    if (!s.image.isNull()) {
        QRect where = PlaceImage(face, s.image.deviceIndependentSize().toSize(), s, hasCaption, &captionArea);
        if (s.pressed)
            where.translate(s.pressOffset);
        p.drawPixmap(where.topLeft(), s.image);
    }
    if (!hasCaption)
        return;

    if (s.pressed)
        captionArea.translate(s.pressOffset);
    p.setFont(s.font);
    const int flags = Qt::TextWordWrap | Qt::AlignHCenter;
    const QRect measured = p.boundingRect(captionArea, flags, s.caption);
    const QRect place(captionArea.left() + (captionArea.width() - measured.width()) / 2,
                      captionArea.top() + (captionArea.height() - measured.height()) / 2, measured.width(),
                      measured.height());
    if (s.disabled) {
        // Engraved: a highlight one pixel down and right, the shadow-coloured text over it.
        p.setPen(s.light);
        p.drawText(place.translated(1, 1), flags, s.caption);
        p.setPen(s.shadow);
        p.drawText(place, flags, s.caption);
    } else {
        p.setPen(colours.text);
        p.drawText(place, flags, s.caption);
    }
}

CImageButton::CImageButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    // Hover is tracked from plain mouse moves, as the frame must follow the mouse without a button held.
    setMouseTracking(true);
    ResetColours();
}

int CImageButton::AssignIcons(int iconId, int width, int height) {
    QPixmap image(QStringLiteral(":/icons/%1.png").arg(iconId));
    if (!image.isNull() && (width > 0 || height > 0)) {
        const QSize asked(width > 0 ? width : image.width(), height > 0 ? height : image.height());
        if (asked != image.size())
            image = image.scaled(asked, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return AssignImage(image);
}

int CImageButton::AssignImage(const QPixmap& image) {
    m_image = image;
    update();
    return m_image.isNull() ? 1 : 0;
}

void CImageButton::AssignHint(const QString& text, bool activate) {
    if (text.isNull())
        return;
    m_hint = text;
    setToolTip(activate ? m_hint : QString());
}

void CImageButton::UseParentBackground(bool repaint) {
    m_face.transparent = true;
    m_face.background = QPixmap();
    if (repaint)
        update();
}

int CImageButton::SetImageAlignment(int alignment, bool repaint) {
    if (alignment < ALIGN_LEFT || alignment > ALIGN_FILL)
        return kBadAlignment;
    m_face.alignment = alignment;
    if (repaint)
        update();
    return 0;
}

QPixmap CImageButton::ParentBackground() {
    QWidget* parent = parentWidget();
    if (!m_face.background.isNull() || !parent || m_capturing)
        return m_face.background;
    // Only the parent's own painting (its background), never its children: this button is one of them.
    m_capturing = true;
    const qreal ratio = devicePixelRatioF();
    QPixmap pixels(size() * ratio);
    pixels.setDevicePixelRatio(ratio);
    pixels.fill(Qt::transparent);
    parent->render(&pixels, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    m_capturing = false;
    m_face.background = pixels;
    return pixels;
}

void CImageButton::paintEvent(QPaintEvent* event) {
    // Without an image it is a plain push button and looks like the dialog's others, not like a white box.
    if (m_image.isNull() && !m_face.transparent) {
        QPushButton::paintEvent(event);
        return;
    }
    ImageButtonFace face = m_face;
    face.pressed = isDown();
    face.focused = hasFocus();
    face.disabled = !isEnabled();
    face.caption = text();
    face.font = font();
    if (face.transparent)
        face.background = ParentBackground();
    if (!m_image.isNull()) {
        if (face.disabled) {
            QStyleOption option;
            option.initFrom(this);
            face.image = style()->generatedIconPixmap(QIcon::Disabled, m_image, &option);
        } else {
            face.image = m_image;
        }
    }
    QPainter painter(this);
    DrawImageButton(painter, rect(), face);
}

void CImageButton::StartHover() {
    if (m_face.hover)
        return;
    m_face.hover = true;
    update();
}

void CImageButton::EndHover() {
    if (!m_face.hover)
        return;
    m_face.hover = false;
    update();
}

void CImageButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    // A drag that began elsewhere does not light the button.
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton))
        StartHover();
}

void CImageButton::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    if ((event->buttons() & Qt::LeftButton) && !m_face.hover)
        return;
    if (rect().contains(event->position().toPoint()))
        StartHover();
    else
        EndHover();
}

void CImageButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    EndHover();
}

void CImageButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    EndHover();
}

void CImageButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::ActivationChange:
        if (!isActiveWindow())
            EndHover();
        break;
    case QEvent::EnabledChange:
        // Only when this button itself was disabled, not when its whole window was.
        if (!isEnabled() && testAttribute(Qt::WA_ForceDisabled)) {
            MoveFocusOnFromHere();
            EndHover();
        }
        break;
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        m_face.background = QPixmap();
        ResetColours();
        update();
        break;
    default:
        break;
    }
}

bool CImageButton::event(QEvent* event) {
    // The captured background belongs to the old place.
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        m_face.background = QPixmap();
    return QPushButton::event(event);
}

void CImageButton::ResetColours() {
    const QPalette& p = palette();
    const ImageButtonFace::Colours colours{p.color(QPalette::Button), p.color(QPalette::ButtonText)};
    m_face.lit = m_face.rest = m_face.focus = colours;
    m_face.light = p.color(QPalette::Light);
    m_face.shadow = p.color(QPalette::Dark);
}

void CImageButton::MoveFocusOnFromHere() {
    QWidget* top = window();
    for (QWidget* next = nextInFocusChain(); next && next != this; next = next->nextInFocusChain()) {
        if (next->isWindow() || next->window() != top)
            continue;
        if ((next->focusPolicy() & Qt::TabFocus) && next->isEnabled() && next->isVisibleTo(top)) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    if (parentWidget())
        parentWidget()->setFocus(Qt::OtherFocusReason);
}
