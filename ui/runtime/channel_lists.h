// The two lists beside the strip charts. The channel list of the Runtime
// page: a check box per row (column 0), the name in the channel's colour, max
// and min in the grid colour, all on the background colour, with tool tips
// and header images. The legend of the RuntimeData window: the names only.
#pragma once

#include <QTableWidget>
#include <cstdint>

#include "runtime/channel_table.h"
#include "ui/runtime/scope_state.h"

struct ListColours {
    std::uint32_t background = 0x5E1E1E;
    std::uint32_t grid = 0xFFC0C0;
    ScopeColors channels = whiteChannels();

    static ScopeColors whiteChannels() {
        ScopeColors c;
        c.fill(0xFFFFFF);
        return c;
    }
};

// " Main ": the name cell text.
QString channelNameCell(int channel);
// "%0.1f", whatever the process locale.
QString channelRangeCell(float value);

class RuntimeChannelList : public QTableWidget {
    Q_OBJECT
public:
    enum Column { CheckColumn, NameColumn, MaxColumn, MinColumn, ColumnCount };

    explicit RuntimeChannelList(QWidget* parent = nullptr);

    // Rewrites every row from the table in the given colours, without
    // reporting the check boxes as clicked.
    void showTable(const ChannelTable& table, const ListColours& colours);
    void showRange(int channel, const GraphChannelSetting& setting, const ListColours& colours);
    // A box counts as set when its state is above 0.
    ScopeFlags checks() const;

signals:
    // The operator toggled a check box (click or space key).
    void checkToggled();
    void headerClicked();
    // A double-click on the name, max or min cell of a row.
    void rangeEditRequested(int channel);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void fitColumns();

    bool updating_ = false;
};

class RuntimeLegendList : public QTableWidget {
    Q_OBJECT
public:
    explicit RuntimeLegendList(QWidget* parent = nullptr);
    void showNames(const ListColours& colours);
};

// The width a list needs so its name column holds the longest name.
int channelListWidthFor(const QFontMetrics& fm);
