#pragma once

#include <memory>

#include <QObject>
#include <QString>
#include <QStringList>

class QMenu;
class QSettings;
class QWidget;

namespace pellumo {

// The manifests opened or saved, most recent first, kept in the user's settings and offered as
// a menu. Interface thread only.
class RecentManifests : public QObject {
    Q_OBJECT

public:
    // The menu is parented to `window`; without one, this owns it.
    RecentManifests(QWidget* window, QObject* parent);
    ~RecentManifests() override;
    RecentManifests(const RecentManifests&) = delete;
    RecentManifests& operator=(const RecentManifests&) = delete;

    QMenu* Menu() const { return menu_; }
    QStringList Files() const;
    void Add(const QString& path);
    void Remove(const QString& path);
    // Where they are kept (an INI file); by default the user's settings.
    void SetSettingsFile(const QString& fileName);

signals:
    // An entry of the menu was chosen.
    void OpenRequested(const QString& path);

private:
    std::unique_ptr<QSettings> Settings() const;
    void FillMenu();

    QMenu* menu_;
    bool ownsMenu_;
    QString settingsFile_;
};

}  // namespace pellumo
