#include "ui/runtime/channel_lists.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include "ui/runtime/runtime_page_logic.h"

namespace {

// Header images: a blank one and an empty check box, 16 x 16.
QIcon headerImage(const QWidget* widget, bool checkBox) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    if (checkBox) {
        QPainter p(&pixmap);
        QStyleOptionButton option;
        option.initFrom(widget);
        option.rect = QRect(1, 1, 14, 14);
        option.state = QStyle::State_Enabled | QStyle::State_Off;
        widget->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &p, widget);
    }
    return QIcon(pixmap);
}

void setListBackground(QAbstractItemView* list, const ListColours& colours) {
    QPalette pal = list->palette();
    pal.setColor(QPalette::Base, colorFromRef(colours.background));
    pal.setColor(QPalette::Text, colorFromRef(colours.grid));  // the check marks
    list->setPalette(pal);
}

void paintCell(QTableWidgetItem* item, const QString& text, std::uint32_t fg, std::uint32_t bg) {
    item->setText(text);
    item->setForeground(colorFromRef(fg));
    item->setBackground(colorFromRef(bg));
}

// A channel's name in its colour, on a background it reads on.
void paintNameCell(QTableWidgetItem* item, int channel, const ListColours& colours) {
    const QColor text = colorFromRef(colours.channels[channel]);
    item->setText(channelNameCell(channel));
    item->setForeground(text);
    item->setBackground(readableBackground(text, colorFromRef(colours.background)));
}

int listRowHeight(const QFontMetrics& fm) { return fm.height() + 4; }

}  // namespace

QString channelNameCell(int channel) {
    return QStringLiteral(" %1 ").arg(QString::fromLatin1(GraphChannels()[channel].name));
}

QString channelRangeCell(float value) {
    return QString::number(static_cast<double>(value), 'f', 1);
}

int channelListWidthFor(const QFontMetrics& fm) {
    // The name column holds 18/64 of the width less 2 pixels.
    const int name = fm.horizontalAdvance(QStringLiteral(" Uext.ctrl ")) + 12;
    return (name * 64 + 17) / 18 + 2;
}

RuntimeChannelList::RuntimeChannelList(QWidget* parent) : QTableWidget(kGraphChannelCount, ColumnCount, parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(listRowHeight(fontMetrics()));
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);

    const char* const titles[ColumnCount] = {"", "Item", "Max", "Min"};
    const char* const tips[ColumnCount] = {"Enable channel drawing", nullptr, "Max value (top of graph)",
                                           "Min value (bottom of graph)"};
    for (int c = 0; c < ColumnCount; ++c) {
        auto* header = new QTableWidgetItem(headerImage(this, c == CheckColumn), QString::fromLatin1(titles[c]));
        header->setTextAlignment(c == NameColumn ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        setHorizontalHeaderItem(c, header);
    }
    for (int row = 0; row < kGraphChannelCount; ++row) {
        for (int c = 0; c < ColumnCount; ++c) {
            auto* item = new QTableWidgetItem;
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (c == CheckColumn) {
                flags |= Qt::ItemIsUserCheckable;
                item->setCheckState(Qt::Unchecked);
            }
            item->setFlags(flags);
            item->setTextAlignment(c == NameColumn ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
            item->setToolTip(c == NameColumn ? QString::fromLatin1(GraphChannels()[row].description)
                                             : QString::fromLatin1(tips[c]));
            setItem(row, c, item);
        }
    }
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!updating_ && item->column() == CheckColumn) emit checkToggled();
    });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &RuntimeChannelList::headerClicked);
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (runtime_page::opensValueDialog(row, column)) emit rangeEditRequested(row);
    });
    fitColumns();
}

void RuntimeChannelList::showTable(const ChannelTable& table, const ListColours& colours) {
    updating_ = true;
    setUpdatesEnabled(false);
    setListBackground(this, colours);
    for (int row = 0; row < kGraphChannelCount; ++row) {
        item(row, CheckColumn)->setBackground(colorFromRef(colours.background));
        item(row, CheckColumn)->setCheckState(table[row].enabled ? Qt::Checked : Qt::Unchecked);
        paintNameCell(item(row, NameColumn), row, colours);
        showRange(row, table[row], colours);
    }
    setUpdatesEnabled(true);
    updating_ = false;
}

void RuntimeChannelList::showRange(int channel, const GraphChannelSetting& setting, const ListColours& colours) {
    paintCell(item(channel, MaxColumn), channelRangeCell(setting.max), colours.grid, colours.background);
    paintCell(item(channel, MinColumn), channelRangeCell(setting.min), colours.grid, colours.background);
}

ScopeFlags RuntimeChannelList::checks() const {
    ScopeFlags flags{};
    for (int row = 0; row < kGraphChannelCount; ++row) flags[row] = item(row, CheckColumn)->checkState() > 0;
    return flags;
}

void RuntimeChannelList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        const QModelIndexList rows = selectionModel()->selectedRows();
        if (!rows.isEmpty()) {
            QTableWidgetItem* box = item(rows.first().row(), CheckColumn);
            box->setCheckState(box->checkState() > 0 ? Qt::Unchecked : Qt::Checked);  // reports checkToggled
        }
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

bool RuntimeChannelList::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize) fitColumns();  // also when the scroll bar comes or goes
    return QTableWidget::viewportEvent(event);
}

// Widths in 64ths of the list's inner width less 2 pixels.
void RuntimeChannelList::fitColumns() {
    const int w = std::max(0, viewport()->width() - 2);
    setColumnWidth(CheckColumn, w * 10 / 64);
    setColumnWidth(NameColumn, w * 18 / 64);
    setColumnWidth(MaxColumn, w * 14 / 64);
    setColumnWidth(MinColumn, w * 14 / 64);
}

RuntimeLegendList::RuntimeLegendList(QWidget* parent) : QTableWidget(kGraphChannelCount, 1, parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(listRowHeight(fontMetrics()));
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);  // the one column fills the legend
    auto* header = new QTableWidgetItem(QStringLiteral("Item"));
    header->setTextAlignment(Qt::AlignCenter);
    setHorizontalHeaderItem(0, header);
    for (int row = 0; row < kGraphChannelCount; ++row) {
        auto* item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setTextAlignment(Qt::AlignCenter);
        setItem(row, 0, item);
    }
}

void RuntimeLegendList::showNames(const ListColours& colours) {
    setUpdatesEnabled(false);
    setListBackground(this, colours);
    for (int row = 0; row < kGraphChannelCount; ++row)
        paintNameCell(item(row, 0), row, colours);
    setUpdatesEnabled(true);
}
