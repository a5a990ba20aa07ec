// The live status panel across the top of the main form: logo, regulator
// status group (version, status, lamps, message line), the Input,
// Regulator information and Output groups, and the SEND and STOP buttons.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "runtime/panel_texts.h"

class LampWidget;

// A label that reports double-clicks (the status text clears the alarms).
class DoubleClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void doubleClicked();
protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// A push button that also reports double-clicks (STOP reboots on one).
class DoubleClickButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
signals:
    void doubleClicked();
protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class StatusPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTemperatureUnits = 6;  // T1, T2, T3, T4, Sp1, Tr1

    explicit StatusPanel(QWidget* parent = nullptr);

    void setVersionText(const QString& text) { version_->setText(text); }
    void setStatusText(const QString& text) { status_->setText(text); }
    void setMessageText(const QString& text) { message_->setText(text); }
    void setFieldText(PanelField field, const QString& text);
    void setTemperatureUnit(const QString& unit);
    void setServiceMode(bool on);

    QString versionText() const { return version_->text(); }
    QString statusText() const { return status_->text(); }
    QString messageText() const { return message_->text(); }
    QString fieldText(PanelField field) const;
    QString temperatureUnit(int index) const { return units_[index]->text(); }
    bool fanCurrentsVisible() const;

    LampWidget* lampG() const { return lampG_; }
    LampWidget* lampY() const { return lampY_; }
    LampWidget* lampR() const { return lampR_; }
    DoubleClickButton* sendButton() const { return send_; }
    DoubleClickButton* stopButton() const { return stop_; }
    DoubleClickLabel* statusLabel() const { return status_; }

private:
    QLabel* version_;
    DoubleClickLabel* status_;
    QLabel* message_;
    LampWidget* lampG_;
    LampWidget* lampY_;
    LampWidget* lampR_;
    DoubleClickButton* send_;
    DoubleClickButton* stop_;
    std::array<QLabel*, kPanelFieldCount> fields_{};
    std::array<QLabel*, kTemperatureUnits> units_{};
    QWidget* fanRow_ = nullptr;
};
