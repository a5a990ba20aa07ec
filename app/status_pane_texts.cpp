#include "app/status_pane_texts.h"

#include <QFileInfo>
#include <algorithm>

void LinkActivity::update(bool portOpen, Link link, std::uint64_t samples, std::int64_t nowMs) {
    if (link == Link::Busy && portOpen) return;
    const bool online = portOpen && link == Link::Online;
    if (!portOpen || online)
        lost_ = false;
    else if (online_)
        lost_ = true;  // was streaming, searching again with the port still open
    if (!online || !online_) history_.clear();  // a rate spans one online period only
    portOpen_ = portOpen;
    online_ = online;

    history_.emplace_back(nowMs, samples);
    while (history_.size() > 1 && nowMs - history_.front().first > kRateWindowMs) history_.pop_front();
    const auto& [firstMs, firstSamples] = history_.front();
    rate_ = nowMs > firstMs && samples >= firstSamples
                ? static_cast<double>(samples - firstSamples) * 1000.0 / static_cast<double>(nowMs - firstMs)
                : 0.0;
}

QString LinkActivity::text() const {
    if (!portOpen_) return {};
    if (online_) return QStringLiteral("Online %1 Hz").arg(QString::number(rate_, 'f', 1));
    return lost_ ? QStringLiteral("Lost") : QStringLiteral("Searching\u2026");
}

QString logPaneText(bool open, const QString& path, int rows, std::int64_t elapsedMs) {
    if (!open) return {};
    // A long name is shortened in the middle so the pane keeps the window's width.
    QString name = QFileInfo(path).fileName();
    if (name.size() > kLogNameMax) name = name.left(12) + QChar(0x2026) + name.right(kLogNameMax - 13);
    const std::int64_t seconds = std::max<std::int64_t>(elapsedMs, 0) / 1000;
    return QStringLiteral("%1: %2 rows, %3:%4:%5")
        .arg(name)
        .arg(rows)
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
