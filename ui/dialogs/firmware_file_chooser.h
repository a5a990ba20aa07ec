// Asks the operator for a firmware file; nullopt when the chooser is
// cancelled. The firmware dialog uses the platform's file chooser unless
// given another (tests, screenshots).
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

using FirmwareFileChooser = std::function<std::optional<QString>(QWidget* parent, const QString& initialName)>;
