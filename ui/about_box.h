// The About box. It also switches the hidden service mode: a left-button
// double-click on the small picture while Shift, the left and the middle
// button are held (and nothing else of Ctrl, right or extra buttons) turns
// it on; every other left double-click in the box turns it off.
#pragma once

#include <QDialog>

class QLabel;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(bool serviceMode, QWidget* parent = nullptr);

    bool serviceMode() const { return serviceMode_; }
    QLabel* smallPicture() const { return smallPicture_; }
    bool serviceLabelVisible() const;
    // The rule on its own: the buttons held and the modifiers at a double-click.
    static bool isServiceGesture(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool serviceMode_;
    QLabel* serviceLabel_;
    QLabel* smallPicture_;
};
