#include "app/recent_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "app/global_setup.h"

namespace {

QString keyOf(FileKind kind) {
    switch (kind) {
    case FileKind::Parameters: return QStringLiteral("Folders/PARAMETER_FILES");
    case FileKind::Logs: return QStringLiteral("Folders/LOG_FILES");
    case FileKind::Firmware: return QStringLiteral("Folders/FIRMWARE_FILES");
    }
    return {};
}

}  // namespace

QString recentFolder(FileKind kind) {
    const QSettings settings(settingsOrganization(), settingsApplication());
    const QString folder = settings.value(keyOf(kind)).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

QString inRecentFolder(FileKind kind, const QString& name) {
    if (name.contains(QLatin1Char('/'))) return name;
    const QString folder = recentFolder(kind);
    if (folder.isEmpty()) return name;
    return name.isEmpty() ? folder : QDir(folder).filePath(name);
}

void rememberFolder(FileKind kind, const QString& chosenFile) {
    if (chosenFile.isEmpty()) return;
    QSettings settings(settingsOrganization(), settingsApplication());
    settings.setValue(keyOf(kind), QFileInfo(chosenFile).absolutePath());
}
