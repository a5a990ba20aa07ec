// The owner-drawn tab strip of the main form: tabs carry their page and an
// enabled flag, text colours for disabled, normal, selected and hovered tabs
// (0x00BBGGRR values), hover tracking with a 10 ms timer. With the keyboard
// focus the selected tab carries a dotted focus mark; anywhere in its window
// Ctrl+Tab and Ctrl+PgDn select the next tab, Ctrl+Shift+Tab and Ctrl+PgUp
// the previous one (wrapping around, passing over disabled tabs).
#pragma once

#include <QTabBar>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

class QFrame;

class ColouredTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit ColouredTabBar(QWidget* parent = nullptr);

    void setColours(std::uint32_t disabled, std::uint32_t normal, std::uint32_t selected,
                    std::uint32_t hover, bool trackHover);
    int hoveredTab() const { return hovered_; }
    QColor textColour(int index) const;
    // The selected tab's text area, where the focus mark is drawn.
    QRect focusMarkRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    QSize tabSizeHint(int index) const override;

private:
    void checkHover();

    std::optional<QColor> disabled_, normal_, selected_, hover_;
    bool trackHover_ = false;
    int hovered_ = -1;
    QTimer hoverTimer_;
};

class TabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);

    // The page becomes a child of the strip; only the first page is shown.
    int addTab(const QString& title, QWidget* page);
    int count() const { return static_cast<int>(pages_.size()); }
    QWidget* page(int index) const;
    int currentIndex() const { return bar_->currentIndex(); }
    // False for a disabled or unknown tab; selecting the current tab does nothing.
    bool setCurrentIndex(int index);
    void setTabEnabled(int index, bool enabled);
    bool isTabEnabled(int index) const;
    ColouredTabBar* bar() const { return bar_; }
    // The next (+1) or previous (-1) enabled tab, wrapping around; false when
    // there is no other enabled tab.
    bool selectAdjacentTab(int step);
    // +1 / -1 for the tab-switching keys, 0 for any other key.
    static int tabStepForKey(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onCurrentChanged(int index);

    ColouredTabBar* bar_;
    QFrame* area_;
    std::vector<QWidget*> pages_;
    int previous_ = -1;
    bool reverting_ = false;
};
