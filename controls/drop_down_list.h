#pragma once

#include <QComboBox>

// A drop-down list whose closed face keeps the width its template gives it: an entry too long for it is shown
// cut with "..." and whole in the list's tool tip, never cut off in the middle of a letter.
class CDropDownList : public QComboBox {
    Q_OBJECT
public:
    explicit CDropDownList(QWidget* parent = nullptr);

    // The text the closed list shows for its current entry: whole, or cut with "..." to fit.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdateToolTip();
};
