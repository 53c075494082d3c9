#include "recent_manifests.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace pellumo {
namespace {

constexpr int kRecentManifests = 8;
const char* const kRecentKey = "recentFiles";

}  // namespace

RecentManifests::RecentManifests(QWidget* window, QObject* parent)
    : QObject(parent), menu_(new QMenu(tr("Fichiers &récents"), window)), ownsMenu_(window == nullptr) {
    connect(menu_, &QMenu::aboutToShow, this, &RecentManifests::FillMenu);
    FillMenu();
}

RecentManifests::~RecentManifests() {
    if (ownsMenu_) delete menu_;
}

void RecentManifests::SetSettingsFile(const QString& fileName) {
    settingsFile_ = fileName;
    FillMenu();
}

std::unique_ptr<QSettings> RecentManifests::Settings() const {
    if (!settingsFile_.isEmpty()) return std::make_unique<QSettings>(settingsFile_, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("pellumo"), QStringLiteral("pellumo-studio"));
}

QStringList RecentManifests::Files() const { return Settings()->value(QLatin1String(kRecentKey)).toStringList(); }

void RecentManifests::Add(const QString& path) {
    QStringList files = Files();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kRecentManifests) files.removeLast();
    Settings()->setValue(QLatin1String(kRecentKey), files);
    menu_->menuAction()->setEnabled(true);
}

void RecentManifests::Remove(const QString& path) {
    QStringList files = Files();
    files.removeAll(path);
    Settings()->setValue(QLatin1String(kRecentKey), files);
    menu_->menuAction()->setEnabled(!files.isEmpty());
}

// Filled each time it opens, never while one of its entries is at work (the entry would be
// deleted under it), and so also with what another editor has changed.
void RecentManifests::FillMenu() {
    menu_->clear();
    const QStringList files = Files();
    for (int i = 0; i < files.size(); ++i) {
        const QString& path = files[i];
        QAction* entry = menu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        entry->setToolTip(path);
        entry->setStatusTip(path);
        entry->setData(path);
        connect(entry, &QAction::triggered, this, [this, path] { emit OpenRequested(path); });
    }
    menu_->menuAction()->setEnabled(!files.isEmpty());
}

}  // namespace pellumo
