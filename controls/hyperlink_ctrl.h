#pragma once

#include <QColor>
#include <QLabel>

class Prompts;

// A text that acts as a web link: drawn in the link colour, red under the mouse with a hand cursor and a tool
// tip naming its target; a click opens the target (OpenLink) and turns it to the visited colour, or beeps and
// explains why it could not be opened.
class CHyperLinkCtrl : public QLabel {
    Q_OBJECT
public:
    enum UnderlineMode { UNDERLINE_HOVER = -1, UNDERLINE_NONE = 0, UNDERLINE_ALWAYS = 1 };

    // The target is `text` until SetURL names another. `prompts` tells the user about a link that fails.
    CHyperLinkCtrl(const QString& text, Prompts& prompts, QWidget* parent = nullptr);

    // The target; also the tool tip. Resizes the control to its text.
    void SetURL(const QString& url);
    QString URL() const { return m_url; }
    void SetUnderline(UnderlineMode mode);
    UnderlineMode Underline() const { return m_underline; }
    void SetVisited(bool visited);
    bool IsVisited() const { return m_visited; }
    void SetColours(const QColor& link, const QColor& visited, const QColor& hover);
    // Whether SetURL resizes the control to its text (on at first).
    void SetFitToText(bool fit) { m_fitToText = fit; }

    // Sizes the control to its text (in the underlined font), keeping its place by its alignment: the left
    // edge for left-aligned text, the right edge for right-aligned, the centre for centred; the top edge, or
    // the vertical centre when the text is centred vertically. Once fitted, it fits again whenever its font
    // changes (a style sheet applied to the dialog gives it another one).
    void FitToText();

    // What a paint would show now.
    QColor TextColour() const;
    bool IsUnderlined() const;
    bool IsOver() const { return m_over; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnClicked();
    QFont UnderlinedFont() const;

    Prompts& m_prompts;
    QColor m_linkColour{0, 0, 238};
    QColor m_visitedColour{85, 26, 139};
    QColor m_hoverColour{255, 0, 0};
    bool m_over = false;
    bool m_visited = false;
    UnderlineMode m_underline = UNDERLINE_HOVER;
    bool m_fitToText = true;
    bool m_fitted = false;
    QString m_url;
};
