#pragma once

#include "options/core/options.h"

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;

namespace quillorn::options {

// The entries of the main window's Options and Media menus that set the options record: three
// exclusive groups (units, orientation, paper size) and three toggles (safer, bounding box,
// fixed paper size). Choosing an entry sets its field; nothing is stored.
class OptionsMenus : public QObject {
    Q_OBJECT
public:
    explicit OptionsMenus(Options& options, QObject* parent = nullptr);

    // "&Units" and "&Orientation" submenus, a separator, "Sa&fer", "Show Bounding Bo&x".
    void addOptionsEntries(QMenu* menu);
    // The ten paper sizes, a separator, "&Override Default paper size".
    void addMediaEntries(QMenu* menu);

    // Marks the entries that the record's fields stand for.
    void showOptions();

Q_SIGNALS:
    // The user chose another orientation: the page turns.
    void orientationChosen();
    void boundingBoxShown(bool shown);

private:
    template <typename Entry>
    QActionGroup* makeGroup(const char* const captions[], int count, const char* namePrefix,
                            Entry Options::*field);
    QAction* makeToggle(const QString& caption, const char* name, bool Options::*field);

    Options& options_;
    QActionGroup* units_;
    QActionGroup* orientation_;
    QActionGroup* media_;
    QAction* safer_;
    QAction* boundingBox_;
    QAction* overrideMedia_;
};

} // namespace quillorn::options
