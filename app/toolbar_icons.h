// Tool bar images: the platform's standard icons where one fits, small
// drawn pictures for the regulator commands.
#pragma once

#include <QIcon>

class QStyle;

QIcon toolBarIcon(int commandId, const QStyle* style);
