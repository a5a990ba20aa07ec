#include "ui/tab_strip.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>
#include <QStackedLayout>
#include <QStylePainter>
#include <QVBoxLayout>

namespace {
QColor fromColorRef(std::uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
}  // namespace

ColouredTabBar::ColouredTabBar(QWidget* parent) : QTabBar(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setDrawBase(true);
    setExpanding(false);
    hoverTimer_.setInterval(10);
    connect(&hoverTimer_, &QTimer::timeout, this, [this] {
        if (hovered_ >= 0 && !tabRect(hovered_).contains(mapFromGlobal(QCursor::pos()))) {
            hoverTimer_.stop();
            const int was = hovered_;
            hovered_ = -1;
            update(tabRect(was));
        }
    });
}

void ColouredTabBar::setColours(std::uint32_t disabled, std::uint32_t normal,
                                std::uint32_t selected, std::uint32_t hover, bool trackHover) {
    disabled_ = fromColorRef(disabled);
    normal_ = fromColorRef(normal);
    selected_ = fromColorRef(selected);
    hover_ = fromColorRef(hover);
    trackHover_ = trackHover;
    setMouseTracking(trackHover);
    update();
}

QColor ColouredTabBar::textColour(int index) const {
    const QPalette& pal = palette();
    if (!isTabEnabled(index)) return disabled_.value_or(pal.color(QPalette::Disabled, QPalette::ButtonText));
    if (index == currentIndex()) return selected_.value_or(pal.color(QPalette::ButtonText));
    if (index == hovered_) return hover_.value_or(pal.color(QPalette::ButtonText));
    return normal_.value_or(pal.color(QPalette::ButtonText));
}

QSize ColouredTabBar::tabSizeHint(int index) const {
    QSize s = QTabBar::tabSizeHint(index);
    return {std::max(s.width() + 12, 78), std::max(s.height() + 4, 26)};
}

void ColouredTabBar::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab opt;
        initStyleOption(&opt, i);
        opt.text.clear();
        p.drawControl(QStyle::CE_TabBarTabShape, opt);
        QRect textRect = tabRect(i);
        if (i == currentIndex()) textRect.adjust(0, 0, 0, -4);
        p.setPen(textColour(i));
        QFont f = font();
        f.setBold(i == currentIndex());
        p.setFont(f);
        p.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, tabText(i));
    }
    if (hasFocus() && currentIndex() >= 0) {
        QPen mark(palette().color(QPalette::WindowText), 1, Qt::DotLine);
        p.setPen(mark);
        p.setBrush(Qt::NoBrush);
        p.drawRect(focusMarkRect());
    }
}

QRect ColouredTabBar::focusMarkRect() const {
    if (currentIndex() < 0) return {};
    return tabRect(currentIndex()).adjusted(5, 4, -6, -7);
}

void ColouredTabBar::mouseMoveEvent(QMouseEvent* event) {
    if (trackHover_) {
        hoverTimer_.start();
        checkHover();
    }
    QTabBar::mouseMoveEvent(event);
}

void ColouredTabBar::checkHover() {
    const QPoint pos = mapFromGlobal(QCursor::pos());
    if (hovered_ >= 0 && !tabRect(hovered_).contains(pos)) {
        const int was = hovered_;
        hovered_ = -1;
        update(tabRect(was));
    }
    if (hovered_ < 0) {
        const int over = tabAt(pos);
        if (over >= 0 && isTabEnabled(over)) {
            hovered_ = over;
            update(tabRect(over));
        }
    }
}

void ColouredTabBar::leaveEvent(QEvent* event) {
    if (hovered_ >= 0) {
        const int was = hovered_;
        hovered_ = -1;
        update(tabRect(was));
    }
    QTabBar::leaveEvent(event);
}

TabStrip::TabStrip(QWidget* parent) : QWidget(parent), bar_(new ColouredTabBar(this)), area_(new QFrame(this)) {
    area_->setFrameShape(QFrame::StyledPanel);
    area_->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar_);
    layout->addWidget(area_, 1);
    // Every page is laid out in the same area and the area holds the
    // largest of them, shown or not: the window keeps one size whichever
    // tab is selected. Which page shows is up to the strip (StackAll leaves
    // visibility alone).
    auto* areaLayout = new QStackedLayout(area_);
    areaLayout->setStackingMode(QStackedLayout::StackAll);
    areaLayout->setContentsMargins(4, 4, 4, 4);
    connect(bar_, &QTabBar::currentChanged, this, &TabStrip::onCurrentChanged);
    // The tab keys work wherever the focus is in the window.
    qApp->installEventFilter(this);
}

int TabStrip::tabStepForKey(int key, Qt::KeyboardModifiers modifiers) {
    if (!(modifiers & Qt::ControlModifier) || (modifiers & (Qt::AltModifier | Qt::MetaModifier))) return 0;
    const bool shift = modifiers & Qt::ShiftModifier;
    if (key == Qt::Key_Backtab) return -1;
    if (key == Qt::Key_Tab) return shift ? -1 : +1;
    if (shift) return 0;
    if (key == Qt::Key_PageDown) return +1;
    if (key == Qt::Key_PageUp) return -1;
    return 0;
}

bool TabStrip::selectAdjacentTab(int step) {
    const int n = count();
    const int from = currentIndex();
    for (int i = 1; i < n; ++i) {
        const int index = ((from + step * i) % n + n) % n;
        if (isTabEnabled(index)) return setCurrentIndex(index);
    }
    return false;
}

bool TabStrip::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() && isVisible() && isEnabled()) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* target = static_cast<QWidget*>(watched);
        const int step = tabStepForKey(key->key(), key->modifiers());
        if (step != 0 && target->window() == window()) {
            selectAdjacentTab(step);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int TabStrip::addTab(const QString& title, QWidget* page) {
    page->setParent(area_);
    area_->layout()->addWidget(page);
    const bool first = pages_.empty();
    pages_.push_back(page);
    const int index = bar_->addTab(title);
    bar_->setTabEnabled(index, true);
    bar_->setMinimumHeight(bar_->sizeHint().height());
    page->setVisible(first);
    if (first) previous_ = index;
    return index;
}

QWidget* TabStrip::page(int index) const {
    return index >= 0 && index < count() ? pages_[index] : nullptr;
}

bool TabStrip::setCurrentIndex(int index) {
    if (index < 0 || index >= count() || !bar_->isTabEnabled(index)) return false;
    if (index == bar_->currentIndex()) return true;
    bar_->setCurrentIndex(index);
    return true;
}

void TabStrip::setTabEnabled(int index, bool enabled) { bar_->setTabEnabled(index, enabled); }
bool TabStrip::isTabEnabled(int index) const { return bar_->isTabEnabled(index); }

void TabStrip::onCurrentChanged(int index) {
    if (reverting_ || index < 0) return;
    if (!bar_->isTabEnabled(index) && previous_ >= 0) {
        reverting_ = true;
        bar_->setCurrentIndex(previous_);
        reverting_ = false;
        return;
    }
    if (QWidget* old = page(previous_)) old->hide();
    if (QWidget* now = page(index)) now->show();
    previous_ = index;
}
