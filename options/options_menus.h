#pragma once

#include "options/core/options.h"

#include <QList>
#include <QObject>

class QAction;
class QMenu;

namespace quillorn::options {

// The entries of the main window's Options and Media menus that set the options record. Each
// handler keeps its entries' marks and its field in step; the handlers are also how the stored
// options reach the record at start-up (LoadOptions). No handler redraws or writes the store.
class OptionsMenus : public QObject {
    Q_OBJECT
public:
    explicit OptionsMenus(Options& options, QObject* parent = nullptr);

    // "&Units" and "&Orientation" submenus, a separator, "Sa&fer", "Show Bounding Bo&x".
    void AddOptionsEntries(QMenu* mnuOptions);
    // The ten paper sizes, a separator, "&Override Default paper size".
    void AddMediaEntries(QMenu* mnuMedia);

    // An index outside its group changes nothing.
    void mnuOptionsUnitsOpt_Click(int Index);
    void mnuOrientOpt_Click(int Index);
    void mnuMediaType_Click(int Index);
    // Flip the entry's mark, then copy the mark into the field.
    void mnuOptionsSafer_Click();
    void mnuOptionsShowBounding_Click();
    void mnuMediaOverride_Click();

    QList<QAction*> mnuOptionsUnitsOpt() const { return mnuOptionsUnitsOpt_; }
    QList<QAction*> mnuOrientOpt() const { return mnuOrientOpt_; }
    QList<QAction*> mnuMediaType() const { return mnuMediaType_; }
    QAction* mnuOptionsSafer() const { return mnuOptionsSafer_; }
    QAction* mnuOptionsShowBounding() const { return mnuOptionsShowBounding_; }
    QAction* mnuMediaOverride() const { return mnuMediaOverride_; }
    // The record the handlers set.
    Options& Record() const { return options_; }
    // Null until AddOptionsEntries has run.
    QMenu* mnuOptionsUnits() const { return mnuOptionsUnits_; }
    QMenu* mnuOptionsOrient() const { return mnuOptionsOrient_; }

private:
    QAction* NewEntry(const QString& caption, const char* name, int index = -1);
    void ConnectEntries();
    // Qt flips a checkable entry's mark before it reports the choice; putting it back leaves
    // the handler's own flip as the only one.
    void ToggleChosen(QAction* entry, void (OptionsMenus::*handler)());

    Options& options_;
    QList<QAction*> mnuOptionsUnitsOpt_;
    QList<QAction*> mnuOrientOpt_;
    QList<QAction*> mnuMediaType_;
    QAction* mnuOptionsSafer_ = nullptr;
    QAction* mnuOptionsShowBounding_ = nullptr;
    QAction* mnuMediaOverride_ = nullptr;
    QMenu* mnuOptionsUnits_ = nullptr;
    QMenu* mnuOptionsOrient_ = nullptr;
};

} // namespace quillorn::options
