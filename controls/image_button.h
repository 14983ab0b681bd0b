#pragma once

#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QPushButton>

class QPainter;

// Everything one paint of an image button depends on. The drawing function takes it whole, so that the
// face can be drawn (and tested) without a live button.
struct ImageButtonFace {
    // Background and caption colour of one state.
    struct Colours {
        QColor background;
        QColor text;
    };

    bool hover = false;
    bool pressed = false;
    bool focused = false;
    bool disabled = false;
    bool transparent = false;
    int alignment = 0;
    QPoint margin{3, 3};
    QPoint pressOffset{1, 1};
    Colours lit, rest, focus;
    QColor light, shadow; // the thin frames, and the engraved caption
    QPixmap background;   // the parent's pixels under the button, when transparent
    QPixmap image;        // already in its disabled rendering when the button is disabled
    QString caption;
    QFont font;
};

// Draws the whole face of an image button into `face` (the button's client rectangle).
void DrawImageButton(QPainter& painter, const QRect& face, const ImageButtonFace& state);

// A flat push button that draws its own face: no frame at rest, a thin raised frame under the mouse, a thin
// sunken frame while pressed (icon and caption then move one pixel right and down), an icon placed beside or
// above the caption, optionally the parent's background showing through, and a tool tip. For the dialog it
// stays an ordinary push button (default button, clicked signal).
class CImageButton : public QPushButton {
    Q_OBJECT
public:
    // Where the image stands relative to the caption.
    enum Alignment { ALIGN_LEFT = 0, ALIGN_TOP = 1, ALIGN_RIGHT = 2, ALIGN_FILL = 3 };
    // SetImageAlignment's answer for a value it refuses.
    static constexpr int kBadAlignment = 4;

    explicit CImageButton(const QString& caption = QString(), QWidget* parent = nullptr);

    // Takes icon `iconId` of the program's resources as the button's image, at `width` x `height` pixels, or
    // at its own size when both are 0. Answers 0, or 1 when there is no such icon (the button then has no
    // image and draws its caption only).
    int AssignIcons(int iconId, int width = 0, int height = 0);
    // The same with an image at hand; a null pixmap leaves the button without an image.
    int AssignImage(const QPixmap& image);
    // Sets the tool tip's text (a null text is ignored) and shows or hides the tool tip.
    void AssignHint(const QString& text, bool activate);
    // Draws the parent's pixels under the button as its background from now on (captured again at the next
    // paint).
    void UseParentBackground(bool repaint);
    // Answers 0, or kBadAlignment for a value above 3, which changes nothing.
    int SetImageAlignment(int alignment, bool repaint);

    int ImageAlignment() const { return m_face.alignment; }
    QSize ImageSize() const { return m_image.size(); }
    bool IsTransparent() const { return m_face.transparent; }
    bool IsHover() const { return m_face.hover; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void StartHover();
    void EndHover();
    void ResetColours();
    void MoveFocusOnFromHere();
    QPixmap ParentBackground();

    ImageButtonFace m_face;
    QPixmap m_image;
    QString m_hint;
    bool m_capturing = false;
};
